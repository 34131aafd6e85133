// Waveform pictures: lanes of signals over a common time axis, labelled, saved as PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plughost {

struct Colour {
    std::uint8_t r, g, b;
    bool operator==(const Colour&) const = default;
};

class Image {
public:
    Image(int width, int height, Colour background);
    int width() const { return w; }
    int height() const { return h; }
    Colour at(int x, int y) const { return pixels[index(x, y)]; }
    void set(int x, int y, Colour c);  // ignores points outside the image
    void fillRect(int x, int y, int width, int height, Colour c);
    // Text in the built-in font, each font pixel drawn as scale x scale pixels.
    void drawText(int x, int y, const std::string& text, Colour c, int scale = 1);
    bool writePng(const std::string& path, std::string& error) const;

private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * w + x; }
    int w, h;
    std::vector<Colour> pixels;
};

struct PlotLane {
    std::string title;
    const std::vector<float>* samples;
    Colour colour;
};

// Where the plot puts things, so that callers and tests can find them.
struct PlotGeometry {
    static constexpr int kWidth = 1200;
    static constexpr int kLeft = 80;       // start of the waveform area
    static constexpr int kRight = 20;      // margin on the right
    static constexpr int kTop = 40;        // below the title line
    static constexpr int kLaneHeight = 180;
    static constexpr int kLaneGap = 36;    // room for the lane's title
    static constexpr int kBottom = 50;     // the time axis
    static int plotWidth() { return kWidth - kLeft - kRight; }
    static int height(int lanes) { return kTop + lanes * (kLaneHeight + kLaneGap) + kBottom; }
    static int laneTop(int lane) { return kTop + lane * (kLaneHeight + kLaneGap) + kLaneGap; }
};

// Draws the lanes (all of the same length) one above the other on one amplitude scale
// large enough for the loudest, with a time axis in seconds.
Image plotWaveforms(const std::string& title, const std::vector<PlotLane>& lanes, double sampleRate);

}  // namespace plughost
