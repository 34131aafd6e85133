// FrameSwitch: a multi-position selector showing one picture of a vertical strip, picked by
// pressing and dragging vertically. ToggleButton: flips between 0 and 1 on each left click and
// shows the top or bottom half of its bitmap.
#pragma once

#include <memory>

#include "gui/view.h"

class FrameSwitch : public Control {
public:
    // Null when `positions` is below 2 (such a switch has no value mapping) or above
    // `frameCount`, the number of pictures in the strip (a position would have none to show).
    static FrameSwitch* create(const Rect& bounds, ControlListener* listener, std::int32_t tag, int frameCount,
                               int frameHeight, int positions, ResourceBitmap* background, Point imageOffset);

    void draw(PaintContext* context) override;
    void onMouseDown(PaintContext* context, Point where) override;

    int getPositions() const { return positions; }

protected:
    ~FrameSwitch() override = default;

private:
    FrameSwitch(const Rect& bounds, ControlListener* listener, std::int32_t tag, int frameHeight, int positions,
                ResourceBitmap* background, Point imageOffset);

    Point imageOffset;
    int frameHeight;
    int positions;
};

class ToggleButton : public Control {
public:
    ToggleButton(const Rect& bounds, ControlListener* listener, std::int32_t tag, ResourceBitmap* background);

    void draw(PaintContext* context) override;
    void onMouseDown(PaintContext* context, Point where) override;

protected:
    ~ToggleButton() override = default;
};
