// The levels the video streams are labelled with: the lowest one whose limits admit the
// picture size, frame rate and bitrate, so that a decoder that checks the label can trust it.
#pragma once

#include <utility>

namespace tarv::tools {

struct StreamShape {
    int width = 0;
    int height = 0;
    std::pair<int, int> frameRate{0, 1};  // num, den
    int kbps = 0;                         // the average bitrate asked for
};

struct H264Level {
    int levelIdc = 0;  // level times ten, as the sequence parameter set carries it
    int maxKbps = 0;   // the level's buffer limits, for the encoder's rate control
    int bufferKbits = 0;
};

// The lowest H.264 Baseline/Main level that admits `shape`, never below `askedIdc`; the
// highest level when nothing does.
H264Level H264LevelFor(const StreamShape& shape, int askedIdc);

struct Mpeg4Level {
    int profileLevel = 0;  // profile_and_level_indication, as the sequence header carries it
    int maxKbps = 0;       // the most the level lets any second carry
};

// The lowest MPEG-4 Part 2 Simple Profile level that admits `shape`; the highest when
// nothing does.
Mpeg4Level Mpeg4SimpleLevelFor(const StreamShape& shape);

}  // namespace tarv::tools
