// ResourceBitmap: an image loaded once from the module's bitmap resources and shared by
// reference counting between the frame and the controls. At scales 1.5 and 2 it loads the art
// drawn at that size (the resource id plus kScaledArtIdStep for each half above 1: 1124 for
// 1024 at 1.5, 1224 at 2) and measures it in the views' coordinates.
#pragma once

#include <memory>

#include "gui/paint_context.h"

// Whether the platform's direct colour-keyed blit is used; bound by each frame at construction.
extern bool transparentBlitBound;

inline constexpr int kScaledArtIdStep = 100;

class ResourceBitmap {
public:
    explicit ResourceBitmap(int resourceId, Scale scale = Scale());

    ResourceBitmap(const ResourceBitmap&) = delete;
    ResourceBitmap& operator=(const ResourceBitmap&) = delete;

    void retain() { ++refCount; }
    // Deletes the bitmap when the count reaches 0; a count already at 0 stays there.
    void release();
    int referenceCount() const { return refCount; }

    int getResourceId() const { return resourceId; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    void setTransparentColour(Colour colour) { transparentColour = colour; }
    Colour getTransparentColour() const { return transparentColour; }

    // Copies destination's size from `source` in the image to `destination` in the context,
    // both in the views' coordinates; the context must draw at the bitmap's scale.
    void draw(PaintContext& context, const Rect& destination, Point source);
    // The same, leaving out the pixels of the transparent colour.
    void drawTransparent(PaintContext& context, const Rect& destination, Point source);

private:
    ~ResourceBitmap() = default;
    void drawMasked(platform::Surface& surface, const platform::PixelRect& to, platform::PixelPoint from);

    int resourceId;
    int refCount = 1;
    Scale scale;
    int width = 0;
    int height = 0;
    Colour transparentColour = colourTransparentKey;
    std::unique_ptr<platform::Image> image;
};
