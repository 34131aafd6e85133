#include <gtest/gtest.h>

#include <vector>

#include "platform/embedded_resources.h"
#include "platform/software/bmp_decoder.h"

using namespace platform;
using namespace platform::software;

namespace {

std::vector<unsigned char> resourceBytes(int id) {
    std::size_t count = 0;
    const EmbeddedResource* table = embeddedResources(count);
    for (std::size_t i = 0; i < count; ++i)
        if (table[i].id == id) return {table[i].data, table[i].data + table[i].size};
    return {};
}

}  // namespace

// strip.bmp: 3 x 15, 24 bits, bottom-up rows padded to 12 bytes; frames of 3 rows in red,
// green, blue, yellow, magenta from the top.
TEST(BmpDecoder, Decodes24BitBottomUpRowsWithPadding) {
    const auto bytes = resourceBytes(100);
    const auto image = decodeBmp(bytes.data(), bytes.size());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 3);
    EXPECT_EQ(image->height(), 15);
    const ColourRef expected[5] = {makeColourRef(255, 0, 0), makeColourRef(0, 255, 0), makeColourRef(0, 0, 255),
                                   makeColourRef(255, 255, 0), makeColourRef(255, 0, 255)};
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(image->at(x, y), expected[y / 3]) << x << "," << y;
}

// handle.bmp: 6 x 6, 8 bits with a three-colour palette: white corners, blue 2x2 centre, red.
TEST(BmpDecoder, Decodes8BitPaletteImages) {
    const auto bytes = resourceBytes(102);
    const auto image = decodeBmp(bytes.data(), bytes.size());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->at(0, 0), makeColourRef(255, 255, 255));
    EXPECT_EQ(image->at(5, 5), makeColourRef(255, 255, 255));
    EXPECT_EQ(image->at(1, 0), makeColourRef(200, 0, 0));
    EXPECT_EQ(image->at(2, 3), makeColourRef(0, 0, 255));
}

TEST(BmpDecoder, RefusesMalformedFiles) {
    const auto good = resourceBytes(100);
    struct Case {
        const char* what;
        std::size_t offset;
        unsigned char value;
        std::size_t keep;
    };
    const Case cases[] = {
        {"bad magic", 0, 'X', good.size()},
        {"compressed", 30, 1, good.size()},
        {"16 bits per pixel", 28, 16, good.size()},
        {"zero width", 18, 0, good.size()},
        {"pixel data cut short", 0, 'B', good.size() - 1},
        {"header cut short", 0, 'B', 40},
        {"pixel offset past the end", 11, 0x40, good.size()},
    };
    for (const Case& c : cases) {
        auto bytes = good;
        bytes[c.offset] = c.value;
        bytes.resize(c.keep);
        EXPECT_FALSE(decodeBmp(bytes.data(), bytes.size())) << c.what;
    }
    EXPECT_FALSE(decodeBmp(nullptr, 0));
}
