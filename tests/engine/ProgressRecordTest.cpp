#include "ProgressRecord.h"

#include <gtest/gtest.h>

#include <clocale>

using namespace tarv;

TEST(ProgressRecord, TheFirstCompleteRecordOfAChunkGivesThePosition) {
    const std::string chunk =
        "Opening video\nPos:  12.3s    123f (10%)  41.00fps Trem:   0min   1mb  A-V:0.000 [0:0]\r"
        "Pos:  13.4s    134f (11%)  41.00fps Trem:   0min   1mb  A-V:0.000 [0:0]\r";
    ASSERT_TRUE(ParseProgressRecord(chunk));
    EXPECT_FLOAT_EQ(*ParseProgressRecord(chunk), 12.3f);
    EXPECT_EQ(FindProgressRecord(chunk)->back(), ']');
    EXPECT_FLOAT_EQ(*ParseProgressRecord("Pos:\t7.9s\t3f (1%) [x]"), 7.9f);
}

TEST(ProgressRecord, ARecordWithoutItsClosingBracketInTheChunkIsNotFound) {
    EXPECT_FALSE(FindProgressRecord("Pos:  12.3s    123f (10%)  41.00fps Trem:"));
    EXPECT_FALSE(FindProgressRecord("no records here ]"));
    // Only the bytes given are searched, even when the text goes on in memory.
    const std::string whole = "Pos: 5.0s 1f (1%) [0:0]";
    EXPECT_FALSE(FindProgressRecord(std::string_view(whole).substr(0, whole.size() - 1)));
}

TEST(ProgressRecord, AFoundRecordWithoutANumberHasNoPosition) {
    EXPECT_TRUE(FindProgressRecord("Pos: ??? [0:0]"));
    EXPECT_FALSE(ParseProgressRecord("Pos: ??? [0:0]"));
    EXPECT_FALSE(ParseProgressRecord("Pos: nan s 1f (1%) ]"));
}

TEST(ProgressRecord, TheNumberIsReadTheSameWhateverTheLocale) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_FLOAT_EQ(*ParseProgressRecord("Pos:  2.5s 1f (1%) ]"), 2.5f);
    std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(ProgressRecord, WholeSecondsTruncateAndNeverGoNegative) {
    EXPECT_EQ(WholeSeconds(12.99f), 12);
    EXPECT_EQ(WholeSeconds(0.5f), 0);
    EXPECT_EQ(WholeSeconds(-3.0f), 0);
    EXPECT_EQ(WholeSeconds(1e20f), 2147483647);
}

TEST(ProgressRecord, TheEncodersLastLineAboutDamageGivesItsCount) {
    const std::string out =
        "Pos:   5.9s     59f (98%) 90.00fps Trem:   0min   0mb  A-V:0.000 [0:0]\r"
        "Pos:   6.0s     60f (100%) 90.00fps Trem:   0min   0mb  A-V:0.000 [0:0]\r\n"
        "12 damaged frames skipped\n";
    EXPECT_EQ(FindDamagedFrames(out), 12);
    EXPECT_EQ(FindDamagedFrames("1 damaged frame skipped\n"), 1);
    EXPECT_EQ(FindDamagedFrames("3 damaged frames skipped\r\n7 damaged frames skipped"), 7);
    EXPECT_EQ(FindDamagedFrames("99999999999 damaged frames skipped\n"), 2147483647);
    // Only a line of its own, with its count first, counts.
    EXPECT_FALSE(FindDamagedFrames("Pos: 1.0s 1f (1%) [0:0]\r\n"));
    EXPECT_FALSE(FindDamagedFrames("file 12 damaged frames skipped\n"));
    EXPECT_FALSE(FindDamagedFrames(" damaged frames skipped\n"));
    EXPECT_FALSE(FindDamagedFrames("12 damaged frames were fine\n"));
}

TEST(ProgressRecord, TheDamageNoteCountsInWords) {
    EXPECT_EQ(DamagedFramesNote(1), "1 damaged frame skipped");
    EXPECT_EQ(DamagedFramesNote(12), "12 damaged frames skipped");
    EXPECT_EQ(FindDamagedFrames(DamagedFramesNote(1)), 1);
    EXPECT_EQ(FindDamagedFrames(DamagedFramesNote(40)), 40);
}
