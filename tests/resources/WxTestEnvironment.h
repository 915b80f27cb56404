#pragma once
// Brings wxWidgets up once per test program: image decoding and SVG rendering need its modules,
// but none of these tests needs a display.

#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/init.h>

#include <memory>

class WxTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_initializer = std::make_unique<wxInitializer>();
        ASSERT_TRUE(m_initializer->IsOk());
        if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) {
            wxImage::AddHandler(new wxPNGHandler);
        }
    }
    void TearDown() override { m_initializer.reset(); }

private:
    std::unique_ptr<wxInitializer> m_initializer;
};

inline ::testing::Environment* const kWxTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new WxTestEnvironment);
