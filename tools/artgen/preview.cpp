#include "preview.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include <png.h>

#include "art.h"
#include "text.h"

namespace artgen {

namespace {

// The sizes in a cell, as the editor lays it out; the value box is one line high.
struct Shape {
    int width;  // of the caption and the value box
    int captionHeight;
    int controlTop;  // from the caption's top
    int ballSize;
    int handleSize;
    Image Art::*knobBody;
    Image Art::*knobHandle;
    bool beside = false;  // the control at the left, the caption above the box beside it
};

constexpr Shape kGrid{70, 14, 16, kBallSize, kHandleSize, &Art::knobBody, &Art::knobHandle};
constexpr Shape kCompact{33, 10, 10, kSmallBallSize, kSmallHandleSize, &Art::smallKnobBody, &Art::smallKnobHandle};
constexpr Shape kSide{52, 10, 2, kSmallBallSize, kSmallHandleSize, &Art::smallKnobBody, &Art::smallKnobHandle, true};
constexpr int kSideGap = 3;

// A cell of the editor: caption, control and value box from (x, y), below one another or beside.
// `positions` is 0 for a knob, else the switch's number of positions; `value` is in [0, 1] and
// `shown` is a sample of what the value box would read, enough to judge the layout by.
struct Cell {
    int x, y;
    const char* caption;
    int positions;
    double value;
    const char* shown;
    Shape shape = kGrid;
};

constexpr Cell kCells[] = {
    {45, 35, "Output Mix", 0, 0.5, "100.0000%"},      {45, 121, "Filter Type", 4, 0.0, "Low"},
    {125, 121, "Filter Rate", 0, 1.0, "8000.000"},    {205, 121, "Filter Q", 0, 0.2, "0.200"},
    {45, 207, "Filt. LFO Shape", 5, 0.5, "Sine"},     {125, 207, "Filt. LFO Rate", 0, 0.3, "1.50 Hz"},
    {205, 207, "Filt. LFO Depth", 0, 0.0, "0.0%"},    {45, 293, "Vol. LFO Shape", 5, 0.5, "Sine"},
    {125, 293, "Vol. LFO Rate", 0, 0.3, "1.50 Hz"},   {205, 293, "Vol. LFO Depth", 0, 0.0, "0.0%"},
    {360, 35, "Output Mix", 0, 0.5, "100.0000%"},     {440, 35, "Rate", 0, 0.25, "250.00 ms"},
    {520, 35, "Feedback", 0, 0.4, "40.0%"},           {360, 121, "Filter Type", 4, 1.0 / 3, "High"},
    {440, 121, "Filter Rate", 0, 0.75, "4000.000"},   {520, 121, "Filter Q", 0, 0.2, "0.200"},
    {360, 207, "Filt. LFO Shape", 5, 0.0, "Pulse"}, {440, 207, "Filt. LFO Rate", 0, 0.6, "3.00 Hz"},
    {520, 207, "Filt. LFO Depth", 0, 0.8, "80.0%"},   {360, 293, "Vol. LFO Shape", 5, 1.0, "Triangle"},
    {440, 293, "Vol. LFO Rate", 0, 0.1, "0.50 Hz"},   {520, 293, "Vol. LFO Depth", 0, 1.0, "100.0%"},
    {498, 49, "Sync", 0, 9.0 / 21, "1/8.", kCompact},
    {122, 58, "Stereo", 0, 1.0, "Ping-Pong", kSide},  {202, 58, "Motion", 0, 0.5, "Fade", kSide},
    {122, 87, "Freeze", 0, 0.0, "Off", kSide},        {202, 87, "Duck", 0, 1.0, "100.0000%", kSide},
};

constexpr int kLineHeight = 14;
constexpr int kCaptionPixelSize = 9;

void drawCentredText(Image& image, const Font& font, const char* text, int left, int top, int width, int height) {
    const RenderedText rendered = font.render(text);
    const int x = left + (width - rendered.mask.width) / 2;
    const int y = top + (height - rendered.mask.height) / 2;
    paint(image, rendered.mask, x, y, grey(255));
}

int textLeft(const Cell& cell) { return cell.shape.beside ? cell.x + cell.shape.ballSize + kSideGap : cell.x; }

int boxTop(const Cell& cell) {
    const Shape& shape = cell.shape;
    return shape.beside ? cell.y + shape.captionHeight : cell.y + shape.controlTop + shape.ballSize + 1;
}

void drawValueBox(Image& image, const Font& font, const Cell& cell) {
    const int top = boxTop(cell), left = textLeft(cell);
    const int right = left + cell.shape.width - 1;
    for (int y = top; y < top + kLineHeight; ++y) {
        for (int x = left; x <= right; ++x) {
            const bool frame = y == top || y == top + kLineHeight - 1 || x == left || x == right;
            image.at(x, y) = frame ? grey(127) : grey(0);
        }
    }
    drawCentredText(image, font, cell.shown, left, top, cell.shape.width, kLineHeight);
}

void drawControl(Image& image, const Art& art, const Cell& cell) {
    const Shape& shape = cell.shape;
    const int left = shape.beside ? cell.x : cell.x + (shape.width - shape.ballSize) / 2;
    const int top = cell.y + shape.controlTop;
    if (cell.positions > 0) {
        const int frame = static_cast<int>((cell.positions - 1) * cell.value + 0.5);
        pasteTransparent(image, art.switchStrip, left, top, frame * kBallSize, kBallSize);
        return;
    }
    // The knob sweeps clockwise from 7:30 (0) through 12:00 to 4:30 (1).
    constexpr double pi = std::numbers::pi;
    const Point corner = handleCorner(5 * pi / 4 - cell.value * 3 * pi / 2, shape.ballSize, shape.handleSize);
    pasteTransparent(image, art.*shape.knobBody, left, top);
    pasteTransparent(image, art.*shape.knobHandle, left + corner.x, top + corner.y);
}

// libpng reports errors by long-jumping back here; nothing with a destructor lives in between.
bool encode(png_structp png, png_infop info, std::FILE* file, const Image& image, int scale,
            std::vector<png_byte>& row) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width * scale), static_cast<png_uint_32>(image.height * scale),
                 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height * scale; ++y) {
        for (int x = 0; x < image.width * scale; ++x) {
            const Rgb& p = image.at(x / scale, y / scale);
            row[3 * x] = p.r;
            row[3 * x + 1] = p.g;
            row[3 * x + 2] = p.b;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

Image composeEditor(const Art& art, const std::string& captionFontFile) {
    const Font font(captionFontFile, kCaptionPixelSize);
    Image editor = art.background;
    for (const Cell& cell : kCells) {
        drawCentredText(editor, font, cell.caption, textLeft(cell), cell.y, cell.shape.width, cell.shape.captionHeight);
        drawControl(editor, art, cell);
        drawValueBox(editor, font, cell);
    }
    return editor;
}

bool writePng(const Image& image, const std::string& path, int scale) {
    std::vector<png_byte> row(static_cast<std::size_t>(image.width * scale) * 3);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool written = info && encode(png, info, file, image, scale, row);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return std::fclose(file) == 0 && written;
}

}  // namespace artgen
