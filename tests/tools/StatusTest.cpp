// What the tools say when libav fails: its own words, never a bare number.
#include "Status.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/error.h>
}

namespace tarv::tools {
namespace {

TEST(Status, DamageIsSaidInLibavsOwnWordsAndAnUnknownCodeInWordsToo) {
    EXPECT_EQ(DamageFailure(AVERROR_INVALIDDATA).Message(),
              "the file is damaged: Invalid data found when processing input");
    EXPECT_EQ(DamageFailure(AVERROR_INVALIDDATA).ExitCode(), kExitFailure);
    // A decoder once answered with this code, which libav has no text for.
    const std::string unknown = AvErrorText(-16976906);
    EXPECT_NE(unknown.rfind("error -", 0), 0u) << unknown;
    EXPECT_NE(unknown.find("does not describe"), std::string::npos) << unknown;
    EXPECT_EQ(AvFailure("cannot write x", AVERROR(ENOSPC)).Message(),
              "cannot write x: No space left on device");
}

}  // namespace
}  // namespace tarv::tools
