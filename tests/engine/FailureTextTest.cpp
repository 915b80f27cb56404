#include "FailureText.h"

#include <gtest/gtest.h>

using namespace tarv;

TEST(FailureSentence, TheToolsNameAndTheSourcesPathGiveWayToPlainWords) {
    EXPECT_EQ(FailureSentence("tarv.patch4: /home/a/my clip.mp4 holds no video to convert",
                              "/home/a/my clip.mp4"),
              "The file holds no video to convert.");
    EXPECT_EQ(FailureSentence("some libav noise\ntarv.patch3: cannot read /v/x.avi: not a "
                              "media file this tool knows\n\n",
                              "/v/x.avi"),
              "Cannot read the file: not a media file this tool knows.");
    EXPECT_EQ(FailureSentence("tarv.patch5 ended with exit status 2", "/v/x.avi"),
              "The muxer ended with exit status 2.");
    EXPECT_EQ(FailureSentence("cannot start /opt/tarv/tarv.patch4: No such file or directory",
                              "/v/x.avi"),
              "Cannot start the encoder: No such file or directory.");
    EXPECT_EQ(FailureSentence("", "/v/x.avi"), "The conversion failed.");
    // A path that merely contains the product word keeps its words.
    EXPECT_EQ(FailureSentence("cannot write /out/tarvish.avi: No space left on device", "/v"),
              "Cannot write /out/tarvish.avi: No space left on device.");
}
