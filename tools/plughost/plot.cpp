#include "plughost/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "plughost/bitmap_font.h"
#include "plughost/png_file.h"

namespace plughost {
namespace {

constexpr Colour kBackground{255, 255, 255};
constexpr Colour kFrame{120, 120, 120};
constexpr Colour kGrid{225, 225, 225};
constexpr Colour kText{20, 20, 20};

std::string formatNumber(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The smallest of 1, 2, 5 times a power of ten that is at least the value.
double niceCeiling(double value) {
    const double decade = std::pow(10.0, std::floor(std::log10(value)));
    for (double step : {1.0, 2.0, 5.0, 10.0}) {
        if (value <= step * decade * (1.0 + 1e-9)) return step * decade;
    }
    return 10.0 * decade;
}

double timeStep(double seconds) { return niceCeiling(seconds / 10.0); }

float peakOf(const std::vector<PlotLane>& lanes) {
    float peak = 0.0f;
    for (const PlotLane& lane : lanes) {
        for (float s : *lane.samples) {
            if (std::isfinite(s)) peak = std::max(peak, std::fabs(s));
        }
    }
    return peak;
}

void drawLane(Image& image, const PlotLane& lane, int top, double scale, double seconds, double step) {
    const int left = PlotGeometry::kLeft, width = PlotGeometry::plotWidth();
    const int height = PlotGeometry::kLaneHeight, middle = top + height / 2;
    image.drawText(left, top - 22, lane.title, kText, 2);
    for (double t = 0.0; t <= seconds; t += step) {
        image.fillRect(left + static_cast<int>(t / seconds * (width - 1)), top, 1, height, kGrid);
    }
    image.fillRect(left, middle, width, 1, kGrid);
    for (const double level : {scale, 0.0, -scale}) {
        const std::string label = formatNumber(level == 0.0 ? "0" : "%+.2g", level);
        const int y = top + static_cast<int>((1.0 - level / scale) * (height - 14) / 2.0);
        image.drawText(left - 8 - static_cast<int>(label.size()) * 2 * kGlyphAdvance, y, label, kText, 2);
    }

    // Each pixel column shows the smallest and largest sample that falls into it.
    const std::vector<float>& samples = *lane.samples;
    const double perColumn = static_cast<double>(samples.size()) / width;
    const auto rowOf = [&](float v) {
        const double clamped = std::clamp(static_cast<double>(v) / scale, -1.0, 1.0);
        return middle - static_cast<int>(std::lround(clamped * (height / 2 - 1)));
    };
    for (int x = 0; x < width; ++x) {
        const auto begin = static_cast<std::size_t>(x * perColumn);
        const auto end = std::max(begin + 1, static_cast<std::size_t>((x + 1) * perColumn));
        if (begin >= samples.size()) break;
        float low = 0.0f, high = 0.0f;
        for (std::size_t i = begin; i < std::min(end, samples.size()); ++i) {
            if (!std::isfinite(samples[i])) continue;
            low = std::min(low, samples[i]);
            high = std::max(high, samples[i]);
        }
        const int y0 = rowOf(high), y1 = rowOf(low);
        image.fillRect(left + x, y0, 1, y1 - y0 + 1, lane.colour);
    }
    image.fillRect(left, top, width, 1, kFrame);
    image.fillRect(left, top + height - 1, width, 1, kFrame);
    image.fillRect(left, top, 1, height, kFrame);
    image.fillRect(left + width - 1, top, 1, height, kFrame);
}

void drawTimeAxis(Image& image, int y, double seconds, double step) {
    const int left = PlotGeometry::kLeft, width = PlotGeometry::plotWidth();
    for (double t = 0.0; t <= seconds + 1e-9; t += step) {
        const int x = left + static_cast<int>(t / seconds * (width - 1));
        image.fillRect(x, y, 1, 6, kFrame);
        const std::string label = formatNumber("%g", t);
        image.drawText(x - static_cast<int>(label.size()) * kGlyphAdvance, y + 10, label, kText, 2);
    }
    image.drawText(left + width - 9 * 2 * kGlyphAdvance, y + 30, "SECONDS", kText, 2);
}

}  // namespace

Image::Image(int width, int height, Colour background)
    : w(width), h(height), pixels(static_cast<std::size_t>(width) * height, background) {}

void Image::set(int x, int y, Colour c) {
    if (x >= 0 && y >= 0 && x < w && y < h) pixels[index(x, y)] = c;
}

void Image::fillRect(int x, int y, int width, int height, Colour c) {
    for (int j = y; j < y + height; ++j) {
        for (int i = x; i < x + width; ++i) set(i, j, c);
    }
}

void Image::drawText(int x, int y, const std::string& text, Colour c, int scale) {
    for (char ch : text) {
        const Glyph& glyph = glyphFor(ch);
        for (int row = 0; row < kGlyphHeight; ++row) {
            for (int col = 0; col < kGlyphWidth; ++col) {
                if (glyph[row] & (1u << (kGlyphWidth - 1 - col))) fillRect(x + col * scale, y + row * scale, scale, scale, c);
            }
        }
        x += kGlyphAdvance * scale;
    }
}

bool Image::writePng(const std::string& path, std::string& error) const {
    static_assert(sizeof(Colour) == 3);
    return writeRgbPng(path, w, h, reinterpret_cast<const std::uint8_t*>(pixels.data()), error);
}

Image plotWaveforms(const std::string& title, const std::vector<PlotLane>& lanes, double sampleRate) {
    const int laneCount = static_cast<int>(lanes.size());
    Image image(PlotGeometry::kWidth, PlotGeometry::height(laneCount), kBackground);
    image.drawText(PlotGeometry::kLeft, 12, title, kText, 2);
    const std::size_t frames = lanes.empty() ? 0 : lanes.front().samples->size();
    const double seconds = std::max(static_cast<double>(frames) / sampleRate, 1e-3);
    const double scale = niceCeiling(std::max(peakOf(lanes), 0.01f));
    const double step = timeStep(seconds);
    for (int i = 0; i < laneCount; ++i) drawLane(image, lanes[static_cast<std::size_t>(i)], PlotGeometry::laneTop(i), scale, seconds, step);
    drawTimeAxis(image, PlotGeometry::laneTop(laneCount) - PlotGeometry::kLaneGap + 4, seconds, step);
    return image;
}

}  // namespace plughost
