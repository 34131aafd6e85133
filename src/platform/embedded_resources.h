// Bitmap resources bound into a binary at build time (see embed_bitmaps.cmake). Every
// executable or module that loads bitmaps through the software backend links exactly one
// generated table.
#pragma once

#include <cstddef>

namespace platform {

struct EmbeddedResource {
    int id;
    const unsigned char* data;
    std::size_t size;
};

// Defined by the generated source of the binary; `count` receives the number of entries.
const EmbeddedResource* embeddedResources(std::size_t& count);

}  // namespace platform
