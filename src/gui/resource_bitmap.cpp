#include "gui/resource_bitmap.h"

bool transparentBlitBound = false;

namespace {

platform::PixelRect placed(const PaintContext& context, const Rect& r) {
    const Point o = context.getOffset();
    const Scale k = context.getScale();
    return {k.pixels(r.left + o.x), k.pixels(r.top + o.y), k.pixels(r.right + o.x), k.pixels(r.bottom + o.y)};
}

platform::PixelPoint from(const PaintContext& context, Point source) {
    return {context.getScale().pixels(source.x), context.getScale().pixels(source.y)};
}

}  // namespace

ResourceBitmap::ResourceBitmap(int id, Scale artScale)
    : resourceId(id), scale(artScale),
      image(platform::services().loadBitmap((id + kScaledArtIdStep * (artScale.halves() - 2)) & 0xFFFF)) {
    // Art of scale 1.5 is drawn a pixel larger where its size is a half pixel: the measure in
    // views' coordinates rounds down.
    if (image) {
        width = image->width() * 2 / scale.halves();
        height = image->height() * 2 / scale.halves();
    }
}

void ResourceBitmap::release() {
    if (refCount <= 0) return;
    if (--refCount == 0) delete this;
}

void ResourceBitmap::draw(PaintContext& context, const Rect& destination, Point source) {
    if (!image || !context.surface()) return;
    context.surface()->blit(*image, from(context, source), placed(context, destination), platform::RasterOp::copy);
}

void ResourceBitmap::drawTransparent(PaintContext& context, const Rect& destination, Point source) {
    if (!image || !context.surface()) return;
    if (transparentBlitBound) {
        context.surface()->transparentBlit(*image, from(context, source), placed(context, destination),
                                           transparentColour.ref());
    } else {
        drawMasked(*context.surface(), placed(context, destination), from(context, source));
    }
}

// Without a direct routine: destination XOR source, AND a mask that is white where the source
// has the transparent colour and black elsewhere, XOR source again. Where the mask is white the
// two XORs cancel and the destination stays; where it is black the source remains.
void ResourceBitmap::drawMasked(platform::Surface& surface, const platform::PixelRect& to, platform::PixelPoint from) {
    const platform::ColourRef savedBack = surface.backColour();
    const platform::ColourRef savedText = surface.textColour();
    surface.setBackColour(colourWhite.ref());
    surface.setTextColour(colourBlack.ref());
    const auto mask = surface.makeMask(*image, from, to.right - to.left, to.bottom - to.top, transparentColour.ref());
    surface.blit(*image, from, to, platform::RasterOp::invert);
    surface.blit(*mask, {0, 0}, to, platform::RasterOp::mask);
    surface.blit(*image, from, to, platform::RasterOp::invert);
    surface.setBackColour(savedBack);
    surface.setTextColour(savedText);
}
