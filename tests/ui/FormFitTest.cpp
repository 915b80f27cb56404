// Room for longer texts on the form, as plain rectangles: nothing moves while every text fits,
// a long label pushes its whole column of fields right, a wide caption takes its room from the
// field beside the buttons.
#include <gtest/gtest.h>

#include "FormFit.h"

using namespace tarv;
using Role = FitItem::Role;

namespace {

// Two columns of label and field inside a box, as the form's option lists stand.
std::vector<FitItem> TwoColumns(int leftNeed, int rightNeed) {
    return {
        {Role::Box, wxRect(100, 100, 400, 100)},
        {Role::Label, wxRect(120, 120, 60, 12), leftNeed},
        {Role::Field, wxRect(190, 116, 120, 20)},
        {Role::Label, wxRect(330, 120, 60, 12), rightNeed},
        {Role::Field, wxRect(400, 116, 90, 20)},
        {Role::Label, wxRect(130, 150, 50, 12), 40},
        {Role::Field, wxRect(190, 146, 120, 20)},
    };
}

}  // namespace

TEST(FormFit, TextsThatFitLeaveEveryPlaceAsTheTemplateHasIt) {
    std::vector<FitItem> items = TwoColumns(55, 50);
    const std::vector<FitItem> before = items;
    FitTexts(items, 6);
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].rect, before[i].rect) << i;
    }
}

TEST(FormFit, ALongLabelGrowsLeftToTheBoxEdgeAndItsColumnMovesRight) {
    std::vector<FitItem> items = TwoColumns(100, 50);
    FitTexts(items, 6);
    // Its field keeps the 10 pixels the template left between the two; the label starts 6
    // pixels inside the box and still needs 100 - (180 - 106) = 26 more pixels.
    EXPECT_EQ(items[1].rect.x, 106);
    EXPECT_EQ(items[1].rect.width, 100);
    EXPECT_EQ(items[2].rect.x, 216);
    EXPECT_EQ(items[2].rect.GetRight(), 309);
    // The other field of the column moves with it; its label keeps its place.
    EXPECT_EQ(items[6].rect.x, 216);
    EXPECT_EQ(items[5].rect.x, 130);
    // The other column does not move.
    EXPECT_EQ(items[4].rect.x, 400);
    for (const FitItem& item : items) {
        if (item.role == Role::Label) {
            EXPECT_GE(item.rect.width, item.need);
        }
    }
}

TEST(FormFit, ARightColumnLabelKeepsClearOfTheLeftColumnsField) {
    std::vector<FitItem> items = TwoColumns(55, 90);
    FitTexts(items, 6);
    const wxRect& label = items[3].rect;
    EXPECT_EQ(label.x, items[2].rect.GetRight() + 1 + 6);
    EXPECT_GE(label.width, 90);
    EXPECT_LT(label.GetRight(), items[4].rect.x);
    EXPECT_EQ(items[4].rect.GetRight(), 489);
}

TEST(FormFit, WiderCaptionsPushTheButtonsLeftAndShortenTheFieldBeforeThem) {
    std::vector<FitItem> items = {
        {Role::Label, wxRect(20, 14, 60, 12), 50},
        {Role::Field, wxRect(90, 10, 300, 20)},
        {Role::Button, wxRect(400, 10, 60, 22), 80},
        {Role::Button, wxRect(470, 10, 60, 22), 75},
    };
    FitTexts(items, 6);
    EXPECT_EQ(items[3].rect, wxRect(455, 10, 75, 22));  // the last keeps its right edge
    EXPECT_EQ(items[2].rect, wxRect(365, 10, 80, 22));  // the same gap before it
    EXPECT_EQ(items[1].rect, wxRect(90, 10, 265, 20));  // the field gives the 35 pixels
    EXPECT_EQ(items[0].rect, wxRect(20, 14, 60, 12));
}
