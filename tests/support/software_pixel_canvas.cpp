// The canvas of the software backend: a framebuffer and its surface.
#include "platform/software/software_platform.h"
#include "platform/software/software_surface.h"
#include "pixel_canvas.h"

namespace pixelcanvas {

namespace {

using platform::software::SoftwareImage;
using platform::software::SoftwareSurface;
using platform::software::TextRenderer;

TextRenderer& sharedText() {
    static TextRenderer text;
    return text;
}

class SoftwareCanvas : public Canvas {
public:
    SoftwareCanvas(int width, int height, platform::ColourRef paper)
        : image(width, height, false, paper), drawing(image, sharedText()) {}
    platform::Surface& surface() override { return drawing; }
    platform::ColourRef at(int x, int y) const override { return image.at(x, y); }
    int width() const override { return image.width(); }
    int height() const override { return image.height(); }

private:
    SoftwareImage image;
    SoftwareSurface drawing;
};

std::unique_ptr<platform::Image> filled(int width, int height, bool oneBit, const auto& values) {
    auto image = std::make_unique<SoftwareImage>(width, height, oneBit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image->set(x, y, static_cast<platform::ColourRef>(values[y * width + x]));
    return image;
}

}  // namespace

std::unique_ptr<Canvas> makeCanvas(int width, int height, platform::ColourRef paper) {
    return std::make_unique<SoftwareCanvas>(width, height, paper);
}

std::unique_ptr<platform::Image> makeImage(int width, int height, const std::vector<platform::ColourRef>& colours) {
    return filled(width, height, false, colours);
}

std::unique_ptr<platform::Image> makeOneBitImage(int width, int height, const std::vector<int>& bits) {
    return filled(width, height, true, bits);
}

std::unique_ptr<platform::Image> loadTestBitmap(int resourceId) {
    return platform::software::SoftwarePlatform().loadBitmap(resourceId);
}

}  // namespace pixelcanvas
