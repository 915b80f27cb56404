#pragma once
// The rendered pictures as PNG bytes, compiled into the program by the build. Internal to the
// resources library.

#include <cstddef>
#include <span>

struct EmbeddedResource {
    int id;
    int size;  // the edge length for icon images, 0 for bitmaps
    const unsigned char* data;
    std::size_t length;
};

std::span<const EmbeddedResource> EmbeddedResources();
