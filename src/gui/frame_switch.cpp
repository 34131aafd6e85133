#include "gui/frame_switch.h"

#include "gui/editor_frame.h"

namespace {

void drawBackground(ResourceBitmap& background, PaintContext& context, const Rect& bounds, Point source,
                    bool transparent) {
    if (transparent) {
        background.drawTransparent(context, bounds, source);
    } else {
        background.draw(context, bounds, source);
    }
}

}  // namespace

FrameSwitch* FrameSwitch::create(const Rect& r, ControlListener* listener, std::int32_t tag, int frameCount,
                                 int frameHeight, int positions, ResourceBitmap* background, Point imageOffset) {
    if (positions < 2 || positions > frameCount) return nullptr;
    return new FrameSwitch(r, listener, tag, frameHeight, positions, background, imageOffset);
}

FrameSwitch::FrameSwitch(const Rect& r, ControlListener* controlListener, std::int32_t controlTag, int height,
                         int positionCount, ResourceBitmap* bitmap, Point offset)
    : Control(r, controlListener, controlTag, bitmap),
      imageOffset(offset),
      frameHeight(height),
      positions(positionCount) {
    defaultValue = 0.0f;
}

void FrameSwitch::draw(PaintContext* context) {
    if (background) {
        const int k = static_cast<int>(static_cast<float>(positions - 1) * value + 0.5f);
        drawBackground(*background, *context, bounds, {0, k * frameHeight}, transparent);
    }
    setNeedsRedraw(false);
}

void FrameSwitch::onMouseDown(PaintContext* context, Point where) {
    if (!isMouseEnabled()) return;
    const int clickButtons = context->mouseButtons();
    if (!(clickButtons & buttonLeft)) return;
    if (clickButtons == (buttonLeft | modControl)) {
        value = defaultValue;
        notifyIfChanged(context);
        return;
    }
    if (!frame) return;
    const double step = static_cast<double>(frameHeight) / positions;
    frame->beginEdit(tag);
    do {
        const int p = static_cast<int>((where.y - bounds.top) / step);
        value = static_cast<float>(p) / static_cast<float>(positions - 1);
        if (value > 1.0f) {
            value = 1.0f;
        } else if (value < 0.0f) {
            value = 0.0f;
        }
        notifyIfChanged(context);
        context->mouseLocation(where);
        runEditorIdle();
    } while (context->mouseButtons() == clickButtons);
    frame->endEdit(tag);
}

ToggleButton::ToggleButton(const Rect& r, ControlListener* controlListener, std::int32_t controlTag,
                           ResourceBitmap* bitmap)
    : Control(r, controlListener, controlTag, bitmap) {}

void ToggleButton::draw(PaintContext* context) {
    if (background) {
        const Point source{0, value == 0.0f ? 0 : background->getHeight() / 2};
        drawBackground(*background, *context, bounds, source, transparent);
    }
    setNeedsRedraw(false);
}

void ToggleButton::onMouseDown(PaintContext* context, Point) {
    if (!isMouseEnabled() || !(context->mouseButtons() & buttonLeft)) return;
    value = static_cast<int>(value) != 0 ? 0.0f : 1.0f;
    runEditorIdle();
    if (listener) listener->controlChanged(context, this);
}
