#pragma once
// The rendered pictures as PNG bytes, compiled into the program by the build from the picture
// list. Internal to the resources library.

#include <cstddef>
#include <span>

struct EmbeddedResource {
    int id;
    int size;    // the edge length for icon images, 0 for bitmaps
    int scale;   // 1 for the picture at 100 %, 2 for its rendering at 200 %
    bool keyed;  // the picture stands for transparency with the key colour
    unsigned char key[3];
    const unsigned char* data;
    std::size_t length;
};

std::span<const EmbeddedResource> EmbeddedResources();
