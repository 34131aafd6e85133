// A device surface over a framebuffer that follows the native pixel rules: lines exclude their
// end point, fills exclude the right and bottom edges, blits clip to source and destination.
#pragma once

#include "platform/software/software_image.h"
#include "platform/software/text_renderer.h"

namespace platform::software {

class SoftwareSurface : public Surface {
public:
    SoftwareSurface(SoftwareImage& target, TextRenderer& text);

    void setPen(PenStyle style, int width, ColourRef colour) override;
    bool setBrush(ColourRef colour) override;
    void setFont(const FontDescription& font) override;
    void setTextColour(ColourRef colour) override { textStyle.colour = colour; }
    void setBackColour(ColourRef colour) override { textStyle.backColour = colour; }
    ColourRef textColour() const override { return textStyle.colour; }
    ColourRef backColour() const override { return textStyle.backColour; }

    void moveTo(PixelPoint to) override { position = to; }
    void lineTo(PixelPoint to) override;
    void fillRect(const PixelRect& rect) override;
    void drawText(const char* text, const PixelRect& rect, TextAlign align, bool opaque) override;

    void blit(const Image& source, PixelPoint sourceOrigin, const PixelRect& destination, RasterOp op) override;
    void transparentBlit(const Image& source, PixelPoint sourceOrigin, const PixelRect& destination,
                         ColourRef key) override;
    std::unique_ptr<Image> makeMask(const Image& source, PixelPoint sourceOrigin, int width, int height,
                                    ColourRef key) override;

private:
    void plot(int x, int y, int step);
    template <typename Combine>
    void forEachBlitPixel(const SoftwareImage& source, PixelPoint sourceOrigin, const PixelRect& destination,
                          Combine combine);

    SoftwareImage& target;
    TextRenderer& text;
    PixelPoint position;
    PenStyle penStyle = PenStyle::solid;
    ColourRef penColour = 0;
    ColourRef brushColour = makeColourRef(255, 255, 255);
    TextStyle textStyle;
};

}  // namespace platform::software
