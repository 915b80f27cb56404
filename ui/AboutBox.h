// The About box: the program's icon, maker, name and version, links to the home page and to
// support by e-mail, and the legal notice.
#pragma once

#include <wx/dialog.h>

class wxStaticText;

namespace tarv {

class CHyperLink;

inline constexpr char kSupportAddress[] = "support@example.com";

class CAboutBox : public wxDialog {
public:
    explicit CAboutBox(wxWindow* parent = nullptr);

    CHyperLink& HomePageLink() const { return *m_homePage; }
    CHyperLink& SupportLink() const { return *m_support; }
    wxStaticText& VersionText() const { return *m_version; }
    wxStaticText& MakerText() const { return *m_maker; }

private:
    wxStaticText* m_maker = nullptr;
    wxStaticText* m_version = nullptr;
    CHyperLink* m_homePage = nullptr;
    CHyperLink* m_support = nullptr;
};

}  // namespace tarv
