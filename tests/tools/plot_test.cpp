#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <memory>

#include "plughost/bitmap_font.h"
#include "plughost/plot.h"

namespace plughost {
namespace {

constexpr Colour kWhite{255, 255, 255};
constexpr Colour kLane{200, 0, 0};

int columnFor(double seconds, double total) {
    return PlotGeometry::kLeft + static_cast<int>(seconds / total * PlotGeometry::plotWidth());
}

// Rows of the lane coloured at column x.
int lanePixels(const Image& image, int lane, int x) {
    int count = 0;
    for (int y = PlotGeometry::laneTop(lane); y < PlotGeometry::laneTop(lane) + PlotGeometry::kLaneHeight; ++y) {
        count += image.at(x, y) == kLane ? 1 : 0;
    }
    return count;
}

TEST(BitmapFont, LowerCaseIsUpperCaseAndUnknownIsAQuestionMark) {
    EXPECT_EQ(glyphFor('a'), glyphFor('A'));
    EXPECT_EQ(glyphFor('~'), glyphFor('?'));
    EXPECT_NE(glyphFor('O'), glyphFor('0'));
    const Glyph expectedOne{0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110};
    EXPECT_EQ(glyphFor('1'), expectedOne);
}

TEST(Image, TextIsDrawnGlyphByGlyphAtItsScale) {
    Image image(40, 20, kWhite);
    image.drawText(2, 3, "1", {0, 0, 0}, 2);
    // The glyph '1': top row only its middle pixel (column 2), drawn 2 x 2.
    EXPECT_EQ(image.at(2 + 4, 3), (Colour{0, 0, 0}));
    EXPECT_EQ(image.at(2 + 5, 4), (Colour{0, 0, 0}));
    EXPECT_EQ(image.at(2 + 2, 3), kWhite);
    EXPECT_EQ(image.at(2 + 8, 3), kWhite);
}

TEST(Plot, EachLaneShowsItsSignalWhereItHappens) {
    const double rate = 1000.0;
    std::vector<float> silent(2000, 0.0f), impulse(2000, 0.0f);
    impulse[1000] = 1.0f;  // one second into two
    const Image image = plotWaveforms("TEST", {{"FIRST", &silent, kLane}, {"SECOND", &impulse, kLane}}, rate);
    ASSERT_EQ(image.width(), PlotGeometry::kWidth);
    ASSERT_EQ(image.height(), PlotGeometry::height(2));

    const int at = columnFor(1.0, 2.0);
    EXPECT_GT(lanePixels(image, 1, at), PlotGeometry::kLaneHeight / 3) << "the impulse reaches far from zero";
    EXPECT_LE(lanePixels(image, 1, at - 20), 1) << "only the zero line elsewhere";
    EXPECT_LE(lanePixels(image, 0, at), 1) << "the silent lane stays flat";

    // The labels are there: some dark pixels above each lane.
    for (int lane : {0, 1}) {
        int dark = 0;
        for (int y = PlotGeometry::laneTop(lane) - 22; y < PlotGeometry::laneTop(lane) - 8; ++y) {
            for (int x = PlotGeometry::kLeft; x < PlotGeometry::kLeft + 80; ++x) dark += image.at(x, y).r < 100 ? 1 : 0;
        }
        EXPECT_GT(dark, 30) << "lane " << lane;
    }
}

TEST(Plot, PngFileHoldsTheImage) {
    std::vector<float> ramp(500);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i) / 500.0f;
    const Image image = plotWaveforms("RAMP", {{"RAMP", &ramp, kLane}}, 100.0);
    const std::string path = std::string(TEST_OUTPUT_DIR) + "/plot_test.png";
    std::string error;
    ASSERT_TRUE(image.writePng(path, error)) << error;

    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&png, path.c_str()));
    png.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(png));
    ASSERT_TRUE(png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr));
    ASSERT_EQ(static_cast<int>(png.width), image.width());
    ASSERT_EQ(static_cast<int>(png.height), image.height());
    for (int y = 0; y < image.height(); y += 7) {
        for (int x = 0; x < image.width(); x += 13) {
            const unsigned char* p = &pixels[(static_cast<std::size_t>(y) * png.width + x) * 3];
            ASSERT_EQ((Colour{p[0], p[1], p[2]}), image.at(x, y)) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace plughost
