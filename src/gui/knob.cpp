#include "gui/knob.h"

#include <cmath>
#include <numbers>

#include "gui/editor_frame.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kTwoPi = 2.0f * kPi;
// Minimum at 7:30, turning clockwise through the top to the maximum at 4:30. Each angle is
// the float nearest its exact value: 1.25f * kPi would be one step above 5/4 pi, which moves
// the handle of a 45-pixel knob at 0.5 a pixel left of straight up.
constexpr float kDefaultSweepStart = static_cast<float>(1.25 * std::numbers::pi);
constexpr float kDefaultSweepAngle = static_cast<float>(-1.5 * std::numbers::pi);
constexpr float kLinearPixels = 200.0f;
constexpr float kFineStep = 0.1f;
constexpr int kLinearKnobMode = 2;
constexpr int kDrawnHandleInset = 3;
constexpr unsigned char kKeyLeft = 11;
constexpr unsigned char kKeyUp = 12;
constexpr unsigned char kKeyRight = 13;
constexpr unsigned char kKeyDown = 14;
constexpr unsigned char kModifierShift = 1;

int insetForHandle(const ResourceBitmap& handle) { return static_cast<int>(handle.getWidth() * 0.5 + 2.5); }

float normalised(float angle) {
    if (angle < 0.0f) return angle + kTwoPi;
    if (angle > kTwoPi) return angle - kTwoPi;
    return angle;
}

}  // namespace

Knob::Knob(const Rect& r, ControlListener* controlListener, std::int32_t controlTag, ResourceBitmap* bitmap,
           ResourceBitmap* handleBitmap, Point offset)
    : Control(r, controlListener, controlTag, bitmap),
      imageOffset(offset),
      handle(handleBitmap),
      handleInset(handleBitmap ? insetForHandle(*handleBitmap) : kDrawnHandleInset),
      radius(static_cast<float>(r.right - r.left) * 0.5f) {
    if (handle) handle->retain();
    setSweepStart(kDefaultSweepStart);
    setSweepAngle(kDefaultSweepAngle);
}

Knob::~Knob() {
    if (handle) handle->release();
}

void Knob::updateMapping() {
    valuePerRadian = (maximum - minimum) / turnAngle;
    valueAtZeroAngle = minimum - valuePerRadian * startAngle;
    halfGap = (kTwoPi - std::fabs(turnAngle)) * 0.5f;
    setNeedsRedraw(true);
}

void Knob::setSweepStart(float radians) {
    startAngle = radians;
    updateMapping();
}

void Knob::setSweepAngle(float radians) {
    turnAngle = radians;
    updateMapping();
}

void Knob::setHandleColour(Colour colour) {
    handleColour = colour;
    setNeedsRedraw(true);
}

void Knob::setHandleShadowColour(Colour colour) {
    handleShadowColour = colour;
    setNeedsRedraw(true);
}

void Knob::setHandleBitmap(ResourceBitmap* bitmap) {
    if (bitmap) bitmap->retain();
    if (handle) handle->release();
    handle = bitmap;
    if (handle) handleInset = insetForHandle(*handle);
}

void Knob::handlePointForValue(Point& p) {
    const float alpha = (value - valueAtZeroAngle) / valuePerRadian;
    const float reach = radius - static_cast<float>(handleInset);
    p.x = static_cast<std::int32_t>(std::cos(alpha) * reach + radius + 0.5f);
    p.y = static_cast<std::int32_t>(radius - std::sin(alpha) * reach + 0.5f);
}

float Knob::valueForPoint(Point p) {
    float theta = std::atan2(radius - static_cast<float>(p.y), static_cast<float>(p.x) - radius);
    if (theta < 0.0f) theta += kTwoPi;
    float alpha = theta - startAngle;
    if (turnAngle < 0.0f) {
        // Clockwise: measured from the maximum end. The dead sector splits in its middle.
        float a = alpha - turnAngle;
        const float limit = halfGap - turnAngle;
        const float b = normalised(a);
        if (b > limit) return maximum;
        if (b > -turnAngle) return minimum;
        if (a > limit) {
            a -= kTwoPi;
        } else if (a < -halfGap) {
            a += kTwoPi;
        }
        return a * valuePerRadian + maximum;
    }
    const float limit = turnAngle + halfGap;
    const float b = normalised(alpha);
    if (b > limit) return minimum;
    if (b > turnAngle) return maximum;
    if (alpha > limit) {
        alpha -= kTwoPi;
    } else if (alpha < -halfGap) {
        alpha += kTwoPi;
    }
    return alpha * valuePerRadian + minimum;
}

void Knob::draw(PaintContext* context) {
    if (background) {
        if (transparent) {
            background->drawTransparent(*context, bounds, imageOffset);
        } else {
            background->draw(*context, bounds, imageOffset);
        }
    }
    drawHandle(context);
    setNeedsRedraw(false);
}

void Knob::drawHandle(PaintContext* context) {
    Point p;
    handlePointForValue(p);
    if (handle) {
        const int w = handle->getWidth();
        const int h = handle->getHeight();
        const int left = bounds.left + p.x - w / 2;
        const int top = bounds.top + p.y - h / 2;
        handle->drawTransparent(*context, {left, top, left + w, top + h}, {0, 0});
        return;
    }
    const Point tip{bounds.left + p.x, bounds.top + p.y};
    const Point centre{bounds.left + bounds.width() / 2, bounds.top + bounds.height() / 2};
    context->setLineColour(handleShadowColour);
    context->moveTo({tip.x - 1, tip.y});
    context->lineTo({centre.x - 1, centre.y});
    context->setLineColour(handleColour);
    context->moveTo({tip.x, tip.y - 1});
    context->lineTo({centre.x, centre.y - 1});
}

void Knob::onMouseDown(PaintContext* context, Point where) {
    if (!isMouseEnabled()) return;
    const int buttons = context->mouseButtons();
    if (!(buttons & buttonLeft)) return;
    if (buttons == (buttonLeft | modControl)) {
        value = defaultValue;
        moveToNearestStop();
        notifyIfChanged(context);
        return;
    }
    trackMouse(context, where, buttons);
}

void Knob::trackMouse(PaintContext* context, Point where, int clickButtons) {
    const float range = maximum - minimum;
    const bool alt = (clickButtons & modAlt) != 0;
    const bool linear = (knobMode == kLinearKnobMode) != alt;
    const auto pixelsFor = [this](int buttons) { return buttons & modShift ? fineFactor * kLinearPixels : kLinearPixels; };
    float perPixel = range / pixelsFor(clickButtons);
    float base = value;
    const Point anchor = where;
    int lastButtons = clickButtons;
    const auto local = [this](Point p) { return Point{p.x - bounds.left, p.y - bounds.top}; };
    float previous = linear ? 0.0f : valueForPoint(local(where));

    if (!frame) return;
    frame->beginEdit(tag);
    frame->setFocusView(this);
    Point last{-1, -1};
    int buttons = 0;
    do {
        buttons = context->mouseButtons();
        if (where != last) {
            last = where;
            if (linear) {
                const float delta = static_cast<float>((where.x - anchor.x) - (where.y - anchor.y));
                if (buttons != lastButtons) {
                    // Re-anchor so that a change of speed does not make the value jump.
                    const float newPerPixel = range / pixelsFor(buttons);
                    base += delta * (perPixel - newPerPixel);
                    perPixel = newPerPixel;
                    lastButtons = buttons;
                }
                value = base + delta * perPixel;
                clampValue();
            } else {
                const float v = valueForPoint(local(where));
                value = v;
                // Crossing the dead sector pins the value at the end it came from.
                if (previous - v > range * 0.5f) {
                    value = maximum;
                } else if (v - previous > range * 0.5f) {
                    value = minimum;
                } else {
                    previous = v;
                }
            }
            moveToNearestStop();
            notifyIfChanged(context);
        }
        context->mouseLocation(where);
        runEditorIdle();
    } while (buttons & buttonLeft);
    frame->endEdit(tag);
}

void Knob::step(float count, bool fine, PaintContext* context) {
    if (stops >= 2) {
        value += count * (maximum - minimum) / static_cast<float>(stops - 1);
    } else {
        value += count * (fine ? wheelStep * kFineStep : wheelStep);
    }
    clampValue();
    moveToNearestStop();
    notifyIfChanged(context);
}

// Stop k is minimum + range x (k / (stops - 1)), divided in float as a frame switch divides
// for its positions, so that both controls give a choice the same value.
void Knob::moveToNearestStop() {
    if (stops < 2) return;
    const float range = maximum - minimum;
    const float last = static_cast<float>(stops - 1);
    const float stop = std::round((value - minimum) / range * last);
    value = minimum + range * (stop / last);
}

bool Knob::handleWheel(PaintContext* context, Point, float distance) {
    if (!isMouseEnabled()) return false;
    step(distance, (context->mouseButtons() & modShift) != 0, context);
    return true;
}

int Knob::handleKeyDown(KeyStroke& key) {
    const bool fine = (key.modifier & kModifierShift) != 0;
    switch (key.virt) {
    case kKeyLeft:
    case kKeyDown: step(-1.0f, fine, nullptr); return 1;
    case kKeyUp:
    case kKeyRight: step(1.0f, fine, nullptr); return 1;
    default: return -1;
    }
}
