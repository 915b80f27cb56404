#pragma once
// The transparent colours of the keyed pictures. Shared by the renderer that paints the pictures
// at build time and the program that masks them, so the two can never disagree.

struct KeyColour {
    unsigned char red;
    unsigned char green;
    unsigned char blue;
};

inline constexpr KeyColour kToolbarKeyColour{255, 255, 0};
inline constexpr KeyColour kPreviewButtonKeyColour{255, 0, 0};
// The slider reads its transparent colour from each picture's top-left pixel; magenta is simply a
// colour no part of the slider uses.
inline constexpr KeyColour kSliderKeyColour{255, 0, 255};
