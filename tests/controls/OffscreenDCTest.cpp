#include "OffscreenDC.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/dcprint.h>
#include <wx/filename.h>
#include <wx/prntbase.h>

#include "DrawingPrimitives.h"
#include "WxTestEnvironment.h"

using namespace tarv;
using tarv::testing::FilledBitmap;
using tarv::testing::PixelAt;

namespace {

const wxColour kBackground(0, 0, 255);
const wxColour kPaint(255, 0, 0);

void Paint(wxDC& dc, const wxRect& rect) {
    PixelExactDrawing exact(dc);
    FillSolidRect(dc, rect, kPaint);
}

}  // namespace

TEST(OffscreenDC, PaintsTheClipBoxOnlyAndReachesTheTargetWhenDestroyed) {
    wxBitmap bitmap = FilledBitmap(60, 60, kBackground);
    {
        wxMemoryDC target(bitmap);
        target.SetClippingRegion(wxRect(10, 20, 15, 25));
        {
            COffscreenDC offscreen(target);
            EXPECT_EQ(offscreen.GetRect(), wxRect(10, 20, 15, 25));
            Paint(offscreen, wxRect(0, 0, 60, 60));
            wxColour before;
            target.GetPixel(15, 25, &before);
            EXPECT_EQ(before, kBackground) << "drawing went straight to the target";
        }
    }
    const wxImage image = bitmap.ConvertToImage();
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            const bool inside = x >= 10 && x < 25 && y >= 20 && y < 45;
            ASSERT_EQ(PixelAt(image, x, y), inside ? kPaint : kBackground) << x << "," << y;
        }
    }
}

TEST(OffscreenDC, DrawingLandsWhereItWouldUnderAnyMapping) {
    struct Mapping {
        double scale;
        wxPoint logicalOrigin;
        wxPoint deviceOrigin;
        bool yBottomUp;
    };
    const Mapping mappings[] = {
        {1.0, {0, 0}, {0, 0}, false},
        {2.0, {5, 3}, {4, 6}, false},
        {3.0, {-2, 0}, {1, 80}, true},
    };
    for (const Mapping& mapping : mappings) {
        auto prepare = [&](wxDC& dc) {
            dc.SetUserScale(mapping.scale, mapping.scale);
            dc.SetLogicalOrigin(mapping.logicalOrigin.x, mapping.logicalOrigin.y);
            dc.SetDeviceOrigin(mapping.deviceOrigin.x, mapping.deviceOrigin.y);
            dc.SetAxisOrientation(true, mapping.yBottomUp);
        };
        // The caller paints the whole area: the bitmap starts out with no picture of its own.
        const wxRect area(6, 2, 14, 12);
        const wxRect shape(9, 7, 6, 4);
        auto paint = [&](wxDC& dc) {
            PixelExactDrawing exact(dc);
            FillSolidRect(dc, area, *wxGREEN);
            FillSolidRect(dc, shape, kPaint);
        };
        wxBitmap direct = FilledBitmap(90, 90, kBackground);
        wxBitmap buffered = FilledBitmap(90, 90, kBackground);
        {
            wxMemoryDC dc(direct);
            prepare(dc);
            paint(dc);
        }
        {
            wxMemoryDC dc(buffered);
            prepare(dc);
            const wxPoint probe(dc.LogicalToDeviceX(10), dc.LogicalToDeviceY(10));
            {
                COffscreenDC offscreen(dc, area);
                paint(offscreen);
            }
            // The target's own mapping is back after the copy.
            EXPECT_EQ(wxPoint(dc.LogicalToDeviceX(10), dc.LogicalToDeviceY(10)), probe);
        }
        const wxImage expected = direct.ConvertToImage();
        const wxImage actual = buffered.ConvertToImage();
        int painted = 0;
        for (int y = 0; y < 90; ++y) {
            for (int x = 0; x < 90; ++x) {
                ASSERT_EQ(PixelAt(actual, x, y), PixelAt(expected, x, y))
                    << x << "," << y << " at scale " << mapping.scale;
                painted += PixelAt(actual, x, y) == kPaint;
            }
        }
        EXPECT_EQ(painted, static_cast<int>(24 * mapping.scale * mapping.scale));
    }
}

TEST(OffscreenDC, APrinterIsDrawnOnDirectly) {
    // The generic printing path: a printer context that writes PostScript to a file.
    wxPrintFactory::SetPrintFactory(new wxNativePrintFactory);
    wxPrintData data;
    data.SetPrintMode(wxPRINT_MODE_FILE);
    data.SetFilename(wxFileName::CreateTempFileName("controls-print"));
    wxPrinterDC printer(data);
    ASSERT_TRUE(printer.IsOk());
    COffscreenDC offscreen(printer, wxRect(0, 0, 100, 100));
    EXPECT_FALSE(offscreen.IsOffscreen());
    EXPECT_EQ(&offscreen.GetDC(), &printer);
    wxRemoveFile(data.GetFilename());
}
