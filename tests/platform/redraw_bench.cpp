// Times full redraws of a 640 x 400 software window: background blit, 22 keyed knob blits,
// 22 boxes with outlines and text. Prints milliseconds per frame.
#include <chrono>
#include <cstdio>

#include "platform/software/software_surface.h"

using namespace platform;
using namespace platform::software;

int main() {
    TextRenderer text;
    SoftwareImage window(640, 400);
    SoftwareImage background(640, 400, false, makeColourRef(40, 60, 80));
    SoftwareImage knob(45, 45, false, makeColourRef(255, 255, 255));
    for (int y = 10; y < 35; ++y)
        for (int x = 10; x < 35; ++x) knob.set(x, y, makeColourRef(90, 90, 90));
    FontDescription font;
    font.face = "Arial";
    font.pixelHeight = 12;

    constexpr int kFrames = 200;
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < kFrames; ++frame) {
        SoftwareSurface surface(window, text);
        surface.blit(background, {0, 0}, {0, 0, 640, 400}, RasterOp::copy);
        surface.setFont(font);
        surface.setTextColour(makeColourRef(255, 255, 255));
        for (int i = 0; i < 22; ++i) {
            const int x = 20 + (i % 11) * 55;
            const int y = 40 + (i / 11) * 180;
            surface.transparentBlit(knob, {0, 0}, {x, y, x + 45, y + 45}, makeColourRef(255, 255, 255));
            surface.setBrush(0);
            surface.fillRect({x + 1, y + 61, x + 50, y + 76});
            surface.setPen(PenStyle::solid, 1, makeColourRef(127, 127, 127));
            surface.moveTo({x, y + 60});
            surface.lineTo({x + 50, y + 60});
            surface.lineTo({x + 50, y + 76});
            surface.drawText("1234.56 ms", {x, y + 60, x + 50, y + 76}, TextAlign::centre, false);
        }
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("full 640x400 redraw: %.3f ms per frame (%d frames)\n", ms / kFrames, kFrames);
    return 0;
}
