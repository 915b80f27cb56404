#include "LinkErrorText.h"

#include <gtest/gtest.h>

namespace tarv {
namespace {

TEST(LinkErrorTextTest, EachCodeHasItsWordsAndOthersAreUnknown) {
    EXPECT_EQ(LinkErrorText(LinkError::OutOfResources),
              "The operating system is out\nof memory or resources.");
    EXPECT_EQ(LinkErrorText(LinkError::FileNotFound), "The specified file was not found.");
    EXPECT_EQ(LinkErrorText(LinkError::BadFormat),
              "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    EXPECT_EQ(LinkErrorText(LinkError::SharingViolation), "A sharing violation occurred. ");
    EXPECT_EQ(LinkErrorText(LinkError::DdeBusy),
              "The DDE transaction could not\nbe completed because other DDE transactions\n"
              "were being processed.");
    EXPECT_EQ(LinkErrorText(LinkError::NoAssociation),
              "There is no application associated\nwith the given filename extension.");
    EXPECT_EQ(LinkErrorText(LinkError::LibraryNotFound),
              "The specified dynamic-link library was not found.");
    EXPECT_EQ(LinkErrorText(static_cast<LinkError>(1)), "Unknown Error (1) occurred.");
    EXPECT_EQ(LinkErrorText(static_cast<LinkError>(-7)), "Unknown Error (-7) occurred.");
    EXPECT_EQ(LinkErrorMessage(LinkError::PathNotFound),
              "Can't open link:\n\nThe specified path was not found.");
}

}  // namespace
}  // namespace tarv
