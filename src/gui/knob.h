// Knob: a rotary control whose handle (a small bitmap or a drawn pointer) sits on a circle by
// value. The value follows the mouse by angle (circular) or by distance dragged (linear), with
// Shift for fine control, Control-click for the default, the wheel and the arrow keys. A knob
// with stops, for a choice among named values, lands every change on the nearest stop.
#pragma once

#include "gui/view.h"

class Knob : public Control {
public:
    Knob(const Rect& bounds, ControlListener* listener, std::int32_t tag, ResourceBitmap* background,
         ResourceBitmap* handle, Point imageOffset);

    void draw(PaintContext* context) override;
    void onMouseDown(PaintContext* context, Point where) override;
    int handleKeyDown(KeyStroke& key) override;
    bool handleWheel(PaintContext* context, Point where, float distance) override;

    virtual void drawHandle(PaintContext* context);
    virtual void setSweepStart(float radians);
    virtual float sweepStart() { return startAngle; }
    virtual void setSweepAngle(float radians);
    virtual float sweepAngle() { return turnAngle; }
    // Relative to the knob's top-left corner.
    virtual void handlePointForValue(Point& p);
    virtual float valueForPoint(Point p);
    virtual void setHandleInset(int inset) { handleInset = inset; }
    virtual void setHandleShadowColour(Colour colour);
    virtual void setHandleColour(Colour colour);
    virtual void setHandleBitmap(ResourceBitmap* bitmap);
    virtual void setFineFactor(float factor) { fineFactor = factor; }
    virtual float getFineFactor() { return fineFactor; }

    int getHandleInset() const { return handleInset; }
    // 0 turns freely; from 2 on, `count` evenly spaced values from minimum to maximum, and a
    // wheel notch or an arrow key moves one stop, fine or not.
    void setStops(int count) { stops = count; }

protected:
    ~Knob() override;

private:
    void updateMapping();
    void trackMouse(PaintContext* context, Point where, int clickButtons);
    // Moves the value by `count` wheel steps, a tenth of them when fine, or by `count` stops.
    void step(float count, bool fine, PaintContext* context);
    void moveToNearestStop();

    Point imageOffset;
    Colour handleColour = colourWhite;
    Colour handleShadowColour = colourGrey;
    ResourceBitmap* handle;
    int handleInset;
    float startAngle = 0.0f;
    float turnAngle = 1.0f;
    float halfGap = 0.0f;
    float valuePerRadian = 0.0f;
    float valueAtZeroAngle = 0.0f;
    float radius;
    float fineFactor = 1.5f;
    int stops = 0;
};
