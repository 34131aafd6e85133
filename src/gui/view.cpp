#include "gui/view.h"

#include <algorithm>

#include "gui/editor_frame.h"

namespace {

// Shorter system double-click times are raised to this.
constexpr std::int32_t kMinimumDoubleClickTime = 250;

}  // namespace

View::View(const Rect& r) : bounds(r), mouseArea(r) {}

void View::draw(PaintContext*) { setNeedsRedraw(false); }

void View::drawInRect(PaintContext* context, const Rect&) { draw(context); }

bool View::intersects(const Rect& r) {
    return r.right >= bounds.left && r.left <= bounds.right && r.bottom >= bounds.top && r.top <= bounds.bottom;
}

void View::onMouseDown(PaintContext*, Point) {}

void View::redrawIfDirty(PaintContext* context) {
    if (!needsRedraw()) return;
    draw(context);
    setNeedsRedraw(false);
}

int View::notify(View*, const char*) { return 0; }

int View::handleKeyDown(KeyStroke&) { return -1; }

int View::handleKeyUp(KeyStroke&) { return -1; }

bool View::acceptDrop(char**, int, int, Point) { return false; }

bool View::handleWheel(PaintContext*, Point, float) { return false; }

void View::loseFocus(PaintContext*) {}

void View::gainFocus(PaintContext*) {}

bool View::needsRedraw() { return dirty; }

void View::setNeedsRedraw(bool needed) { dirty = needed; }

bool View::containsPoint(Point p, int) { return bounds.contains(p); }

void View::setBounds(const Rect& r) {
    bounds = r;
    setNeedsRedraw(true);
}

FrameEditor* View::ownerEditor() { return frame ? frame->ownerEditor() : nullptr; }

bool View::detachedFrom(View*) { return true; }

bool View::attachedTo(View*) { return true; }

void View::release() {
    if (refCount <= 0) return;
    if (--refCount == 0) delete this;
}

Control::Control(const Rect& r, ControlListener* controlListener, std::int32_t controlTag, ResourceBitmap* bitmap)
    : View(r),
      listener(controlListener),
      tag(controlTag),
      doubleClickTime(std::max(platform::services().doubleClickTime(), kMinimumDoubleClickTime)),
      background(bitmap) {
    if (background) background->retain();
}

Control::~Control() {
    if (background) background->release();
}

void Control::draw(PaintContext* context) {
    if (listener) listener->paintControl(context, this);
}

bool Control::needsRedraw() { return value != lastDrawnValue || dirty; }

void Control::setNeedsRedraw(bool needed) {
    dirty = needed;
    if (!needed) {
        lastDrawnValue = value;
    } else {
        lastDrawnValue = value == -1.0f ? 0.0f : -1.0f;
    }
}

void Control::runEditorIdle() {
    if (FrameEditor* editor = ownerEditor()) editor->timedIdle();
}

void Control::setBackground(ResourceBitmap* bitmap) {
    if (bitmap) bitmap->retain();
    if (background) background->release();
    background = bitmap;
}

void Control::alignBackgroundOffset() { backgroundOffset = {bounds.left, bounds.top}; }

void Control::clampValue() {
    if (value > maximum) {
        value = maximum;
    } else if (value < minimum) {
        value = minimum;
    }
}

bool Control::checkDoubleClick() {
    const std::int32_t now = frame ? frame->tickCount() : 0;
    // Widened so that a tick count near its top cannot overflow the sum.
    if (lastClickTime > 0 && std::int64_t{now} < std::int64_t{lastClickTime} + doubleClickTime) {
        lastClickTime = 0;
        return true;
    }
    lastClickTime = now;
    return false;
}

void Control::notifyIfChanged(PaintContext* context) {
    if (listener && needsRedraw()) listener->controlChanged(context, this);
}
