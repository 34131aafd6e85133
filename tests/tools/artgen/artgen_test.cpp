// Reads the committed editor bitmaps as a Windows resource loader would and checks what the
// editor relies on: formats and sizes, the transparent white only outside the balls, the panel
// outlines where the cells are laid out, and that artgen reproduces the files exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | (std::uint32_t{b[at + 1]} << 8) | (std::uint32_t{b[at + 2]} << 16) | (std::uint32_t{b[at + 3]} << 24);
}

std::uint32_t le16(const Bytes& b, std::size_t at) { return b[at] | (std::uint32_t{b[at + 1]} << 8); }

struct Rgb {
    int r, g, b;
    bool isGrey(int level) const { return r == level && g == level && b == level; }
};

// The decoded pixels, top row first. The headers are checked separately, so this trusts them.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
    const Rgb& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Picture decode(const Bytes& file) {
    Picture p;
    p.width = static_cast<int>(le32(file, 18));
    p.height = static_cast<int>(le32(file, 22));
    const std::uint32_t bits = le16(file, 28);
    const std::uint32_t stride = (p.width * bits + 31) / 32 * 4;
    const std::size_t offset = le32(file, 10);
    for (int y = 0; y < p.height; ++y) {
        const std::size_t row = offset + stride * (p.height - 1 - y);  // bottom-up
        for (int x = 0; x < p.width; ++x) {
            const std::size_t at = bits == 24 ? row + 3 * x : 54 + 4 * std::size_t{file[row + x]};
            p.pixels.push_back(Rgb{file[at + 2], file[at + 1], file[at]});
        }
    }
    return p;
}

fs::path resource(int id) { return fs::path(ARTGEN_RESOURCE_DIR) / ("bitmap_" + std::to_string(id) + ".bmp"); }

Picture load(int id) { return decode(readFile(resource(id))); }

// ---- file format ----

struct Format {
    int id;
    int width;
    int height;
    int bitsPerPixel;
};

void PrintTo(const Format& f, std::ostream* out) { *out << "bitmap " << f.id; }

class BitmapFormat : public testing::TestWithParam<Format> {};

TEST_P(BitmapFormat, IsAnUncompressedBitmapOfTheExpectedSizeAndDepth) {
    const Format f = GetParam();
    const Bytes file = readFile(resource(f.id));
    ASSERT_GE(file.size(), 54u);
    const std::uint32_t paletteEntries = f.bitsPerPixel == 8 ? le32(file, 46) : 0;
    const std::uint32_t stride = (f.width * f.bitsPerPixel + 31) / 32 * 4;
    const std::uint32_t pixelOffset = 54 + 4 * paletteEntries;
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(le32(file, 2), file.size());
    EXPECT_EQ(le32(file, 10), pixelOffset);
    EXPECT_EQ(le32(file, 14), 40u);  // the information header of the resource format
    EXPECT_EQ(static_cast<int>(le32(file, 18)), f.width);
    EXPECT_EQ(static_cast<int>(le32(file, 22)), f.height);  // positive: bottom-up rows
    EXPECT_EQ(le16(file, 26), 1u);
    EXPECT_EQ(static_cast<int>(le16(file, 28)), f.bitsPerPixel);
    EXPECT_EQ(le32(file, 30), 0u);  // no compression
    EXPECT_EQ(file.size(), pixelOffset + stride * f.height);
    if (f.bitsPerPixel == 8) {
        EXPECT_GT(paletteEntries, 0u);
        EXPECT_LE(paletteEntries, 256u);
    }
}

INSTANTIATE_TEST_SUITE_P(EditorBitmaps, BitmapFormat,
                         testing::Values(Format{1024, 640, 400, 24}, Format{1025, 45, 225, 24}, Format{1026, 45, 45, 24},
                                         Format{1027, 6, 6, 8}, Format{1028, 21, 21, 24}, Format{1029, 5, 5, 8},
                                         // at 1.5 a size with a half pixel is drawn a pixel larger
                                         Format{1124, 960, 600, 8}, Format{1125, 68, 338, 8}, Format{1126, 68, 68, 8},
                                         Format{1127, 9, 9, 8}, Format{1128, 32, 32, 8}, Format{1129, 8, 8, 8}));

// ---- background ----

constexpr int kTopGrey = 127;
constexpr int kBottomGrey = 96;

TEST(Background, GradientRunsFromTopGreyToBottomGreyOneGreyPerRow) {
    const Picture bg = load(1024);
    // Columns outside both panels and the name carry only the gradient.
    for (const int x : {0, 20, 317, 620, 639}) {
        EXPECT_TRUE(bg.at(x, 0).isGrey(kTopGrey)) << "x " << x;
        EXPECT_TRUE(bg.at(x, bg.height - 1).isGrey(kBottomGrey)) << "x " << x;
    }
    for (int y = 1; y < bg.height; ++y) {
        EXPECT_TRUE(bg.at(0, y).isGrey(bg.at(639, y).r)) << "row " << y;
        const int step = bg.at(0, y - 1).r - bg.at(0, y).r;
        EXPECT_TRUE(step == 0 || step == 1) << "row " << y;
    }
}

struct Panel {
    int left, top, right, bottom;  // outer edges, inclusive
    int lineWidth;
    int bandTop, bandBottom;  // the rows around the top edge where only the heading is white
};

// The two panels, and the box of the delay's last four cells in the Origin panel's top row,
// whose heading stands between the panel's heading and the box's cells.
constexpr Panel kPanels[] = {
    {34, 24, 286, 379, 3, 0, 37}, {348, 23, 600, 378, 3, 0, 45}, {118, 44, 281, 115, 1, 36, 57}};

bool isOutline(const Rgb& p) { return p.isGrey(192); }

TEST(Background, OutlinesAreAsWideAsTheirLinesAtTheirOuterEdges) {
    const Picture bg = load(1024);
    for (const Panel& p : kPanels) {
        SCOPED_TRACE(testing::Message() << "panel at x " << p.left);
        const int midY = (p.top + p.bottom) / 2;
        const int midX = (p.left + p.right) / 2;
        for (int i = 0; i < p.lineWidth; ++i) {
            EXPECT_TRUE(isOutline(bg.at(p.left + i, midY)));
            EXPECT_TRUE(isOutline(bg.at(p.right - i, midY)));
            EXPECT_TRUE(isOutline(bg.at(midX, p.bottom - i)));
            EXPECT_TRUE(isOutline(bg.at(p.left + 10, p.top + i)));  // the top line left of the heading
            EXPECT_TRUE(isOutline(bg.at(p.right - 10, p.top + i)));
        }
        EXPECT_FALSE(isOutline(bg.at(p.left - 1, midY)));
        EXPECT_FALSE(isOutline(bg.at(p.left + p.lineWidth, midY)));
        EXPECT_FALSE(isOutline(bg.at(p.right + 1, midY)));
        EXPECT_FALSE(isOutline(bg.at(p.right - p.lineWidth, midY)));
        EXPECT_FALSE(isOutline(bg.at(midX, p.bottom + 1)));
        EXPECT_FALSE(isOutline(bg.at(midX, p.bottom - p.lineWidth)));
        EXPECT_FALSE(isOutline(bg.at(p.left + 10, p.top - 1)));
        EXPECT_FALSE(isOutline(bg.at(p.left + 10, p.top + p.lineWidth)));
        EXPECT_TRUE(isOutline(bg.at(p.left, p.top)));
        EXPECT_TRUE(isOutline(bg.at(p.right, p.bottom)));
    }
}

// Inclusive bounds of the pixels in a region that satisfy a test.
struct Extent {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
};

template <typename Test>
Extent extentOf(const Picture& p, int left, int top, int right, int bottom, Test test) {
    Extent e;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            if (!test(p.at(x, y))) continue;
            e.left = std::min(e.left, x);
            e.right = std::max(e.right, x);
            e.top = std::min(e.top, y);
            e.bottom = std::max(e.bottom, y);
        }
    }
    return e;
}

TEST(Background, EachPanelHasAWhiteHeadingCentredOnItsTopEdge) {
    const Picture bg = load(1024);
    for (const Panel& p : kPanels) {
        SCOPED_TRACE(testing::Message() << "panel at x " << p.left);
        // Nothing else in the band is white.
        const Extent e = extentOf(bg, p.left, p.bandTop, p.right, p.bandBottom, [](const Rgb& c) { return c.isGrey(255); });
        ASSERT_FALSE(e.empty());
        EXPECT_GE(e.top, p.top - 9);
        EXPECT_LE(e.bottom, p.top + 13);
        EXPECT_LE(e.top, p.top);
        EXPECT_GE(e.bottom, p.top + p.lineWidth - 1);
        EXPECT_GE(e.right - e.left, 30);  // a word, not a mark
        EXPECT_NEAR((e.left + e.right) / 2.0, (p.left + p.right) / 2.0, 2.0);
    }
}

TEST(Background, ProductNameRunsUpwardInBlackInsideItsStrip) {
    const Picture bg = load(1024);
    const auto dark = [](const Rgb& c) { return c.r < 40; };
    // Everything dark between the panels, from top to bottom of the window.
    const Extent e = extentOf(bg, 290, 0, 344, bg.height - 1, dark);
    ASSERT_FALSE(e.empty());
    EXPECT_GE(e.left, 301);
    EXPECT_LE(e.right, 335);
    EXPECT_GE(e.top, 83);
    EXPECT_LE(e.bottom, 323);
    EXPECT_GT(e.bottom - e.top, 3 * (e.right - e.left));  // runs along the strip
    EXPECT_TRUE(bg.at(318, 200).r < 140);                  // letters, not a hairline at the side
}

// ---- knob and switch pictures ----

constexpr int kBall = 45;
constexpr double kCentre = kBall / 2.0;

// A ball's pixels lie within this distance of its centre; white there would show the
// background through the knob.
bool insideBall(int x, int y, int size) {
    const double centre = size / 2.0;
    return std::hypot(x + 0.5 - centre, y + 0.5 - centre) <= centre - 1.0;
}

void expectBall(const Picture& p, int top, int size = kBall) {
    for (const auto& [x, y] : {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}}) {
        EXPECT_TRUE(p.at(x, top + y).isGrey(255)) << "corner " << x << "," << y;
    }
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (insideBall(x, y, size)) {
                EXPECT_FALSE(p.at(x, top + y).isGrey(255)) << "at " << x << "," << y;
            }
        }
    }
    // The thin black outline at the four extremes of the rim.
    const int middle = size / 2;
    EXPECT_LT(p.at(0, top + middle).r, 30);
    EXPECT_LT(p.at(size - 1, top + middle).r, 30);
    EXPECT_LT(p.at(middle, top).r, 30);
    EXPECT_LT(p.at(middle, top + size - 1).r, 30);
}

TEST(KnobBody, BothSizesAreBallsWithWhiteCornersAndNoWhiteInside) {
    expectBall(load(1026), 0);
    expectBall(load(1028), 0, 21);
}

TEST(KnobBody, BothSizesAreShadedLikeAnObjectLitFromTheUpperLeft) {
    const Picture body = load(1026);
    EXPECT_GT(body.at(14, 14).r, body.at(30, 30).r + 40);
    const Picture small = load(1028);
    EXPECT_GT(small.at(7, 7).r, small.at(14, 14).r + 40);
}

struct SwitchFrame {
    int frame;
    double clockAngleDegrees;  // counter-clockwise from 3 o'clock
};

void PrintTo(const SwitchFrame& f, std::ostream* out) { *out << "frame " << f.frame; }

class SwitchStrip : public testing::TestWithParam<SwitchFrame> {};

TEST_P(SwitchStrip, FrameIsTheKnobBodyWithADotNearTheRimAtItsPosition) {
    const Picture strip = load(1025);
    const Picture body = load(1026);
    const int top = GetParam().frame * kBall;
    expectBall(strip, top);

    double sumX = 0, sumY = 0;
    int count = 0;
    for (int y = 0; y < kBall; ++y) {
        for (int x = 0; x < kBall; ++x) {
            const Rgb& s = strip.at(x, top + y);
            const Rgb& b = body.at(x, y);
            if (s.r == b.r && s.g == b.g && s.b == b.b) continue;
            EXPECT_TRUE(s.r >= 150 && s.r <= 200 && s.g == s.r && s.b == s.r) << "dot pixel " << x << "," << y;
            sumX += x + 0.5;
            sumY += y + 0.5;
            ++count;
        }
    }
    ASSERT_GE(count, 20);  // a dot about six pixels across
    ASSERT_LE(count, 40);
    const double dx = sumX / count - kCentre, dy = kCentre - sumY / count;
    EXPECT_NEAR(std::hypot(dx, dy), 17.5, 1.5);
    const double wanted = GetParam().clockAngleDegrees * std::numbers::pi / 180.0;
    EXPECT_NEAR(std::remainder(std::atan2(dy, dx) - wanted, 2 * std::numbers::pi), 0.0, 0.1);
}

INSTANTIATE_TEST_SUITE_P(FivePositions, SwitchStrip,
                         testing::Values(SwitchFrame{0, 225}, SwitchFrame{1, 180}, SwitchFrame{2, 90}, SwitchFrame{3, 0},
                                         SwitchFrame{4, -45}));

TEST(KnobHandle, IsALightGreyDotWithWhiteCorners) {
    const Picture handle = load(1027);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const Rgb& p = handle.at(x, y);
            const bool corner = (x == 0 || x == 5) && (y == 0 || y == 5);
            if (corner) {
                EXPECT_TRUE(p.isGrey(255)) << x << "," << y;
            } else {
                EXPECT_TRUE(p.r >= 155 && p.r <= 195 && p.isGrey(p.r)) << x << "," << y;
            }
        }
    }
}

// The small knob's handle passes over the ball's highlight: its black rim keeps it in sight.
TEST(SmallKnobHandle, IsALightGreyDotInADarkRimWithWhiteCorners) {
    const Picture handle = load(1029);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            const Rgb& p = handle.at(x, y);
            const bool corner = (x == 0 || x == 4) && (y == 0 || y == 4);
            const bool core = x >= 1 && x <= 3 && y >= 1 && y <= 3;
            if (corner) {
                EXPECT_TRUE(p.isGrey(255)) << x << "," << y;
            } else if (core) {
                EXPECT_TRUE(p.r >= 130 && p.r <= 195 && p.isGrey(p.r)) << x << "," << y;
            } else {
                EXPECT_TRUE(p.r < 60 && p.isGrey(p.r)) << x << "," << y;
            }
        }
    }
}

// ---- the generator ----

fs::path generateInto(const std::string& name) {
    const fs::path dir = fs::path(ARTGEN_SCRATCH_DIR) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string command = std::string("\"") + ARTGEN_PATH + "\" \"" + dir.string() + "\"";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return dir;
}

TEST(Generator, TwoRunsWriteTheCommittedFilesByteForByte) {
    const fs::path first = generateInto("first");
    const fs::path second = generateInto("second");
    for (const int id : {1024, 1025, 1026, 1027, 1028, 1029, 1124, 1125, 1126, 1127, 1128, 1129, 1224, 1225, 1226, 1227, 1228, 1229}) {
        const std::string name = resource(id).filename().string();
        const Bytes a = readFile(first / name);
        ASSERT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, readFile(second / name)) << name << " differs between two runs";
        EXPECT_EQ(a, readFile(resource(id))) << name << " is stale: run tools/artgen/regenerate.sh";
    }
    const std::string glyphs = "editor_glyphs.cpp";
    const Bytes table = readFile(first / glyphs);
    ASSERT_FALSE(table.empty()) << glyphs;
    EXPECT_EQ(table, readFile(second / glyphs)) << glyphs << " differs between two runs";
    EXPECT_EQ(table, readFile(fs::path(ARTGEN_RESOURCE_DIR) / glyphs)) << glyphs << " is stale: run tools/artgen/regenerate.sh";
}

}  // namespace
