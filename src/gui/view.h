// View, the base of everything in the editor window, the frame included; Control, what the
// widgets share (value, range, tag, background, wheel step, double clicks); ControlListener,
// through which a control reports user changes. Redrawing is lazy: a changed value only makes
// the view answer needsRedraw, and the frame's idle pass draws it.
#pragma once

#include <cstdint>

#include "gui/paint_context.h"
#include "gui/resource_bitmap.h"
#include "gui/key_stroke.h"

class Control;

// What the frame and the controls need from the editor that owns the frame.
class FrameEditor {
public:
    virtual void timedIdle() = 0;
    virtual void beginEdit(std::int32_t tag) = 0;
    virtual void endEdit(std::int32_t tag) = 0;
    // The window system moved the frame's window to another scale.
    virtual void windowScaleChanged(double /*scale*/) {}

protected:
    ~FrameEditor() = default;
};

class ControlListener {
public:
    // The user changed the control's value; `context` is null for keyboard changes.
    virtual void controlChanged(PaintContext* context, Control* control) = 0;
    virtual void paintControl(PaintContext* context, Control* control) = 0;

protected:
    ~ControlListener() = default;
};

class View {
public:
    explicit View(const Rect& bounds);

    View(const View&) = delete;
    View& operator=(const View&) = delete;

    virtual void draw(PaintContext* context);
    virtual void drawInRect(PaintContext* context, const Rect& r);
    virtual bool intersects(const Rect& r);
    virtual void onMouseDown(PaintContext* context, Point where);
    virtual void redrawIfDirty(PaintContext* context);
    virtual int notify(View* sender, const char* message);
    virtual int handleKeyDown(KeyStroke& key);
    virtual int handleKeyUp(KeyStroke& key);
    virtual bool acceptDrop(char** items, int count, int kind, Point where);
    virtual bool handleWheel(PaintContext* context, Point where, float distance);
    virtual void loseFocus(PaintContext* context);
    virtual void gainFocus(PaintContext* context);
    virtual bool needsRedraw();
    virtual void setNeedsRedraw(bool needed);
    virtual void setMouseEnabled(bool enabled) { mouseEnabled = enabled; }
    virtual bool isMouseEnabled() { return mouseEnabled; }
    virtual void setMouseArea(const Rect& r) { mouseArea = r; }
    virtual void getMouseArea(Rect& r) { r = mouseArea; }
    virtual bool containsPoint(Point p, int mouseState);
    virtual void setTransparent(bool on) { transparent = on; }
    virtual bool isTransparent() { return transparent; }
    virtual void setBounds(const Rect& r);
    virtual void getBounds(Rect& r) { r = bounds; }
    virtual void setParentView(View* parent) { parentView = parent; }
    virtual void setFrame(EditorFrame* owner) { frame = owner; }
    virtual FrameEditor* ownerEditor();
    virtual bool detachedFrom(View* parent);
    virtual bool attachedTo(View* parent);
    virtual void release();
    virtual void retain() { ++refCount; }
    virtual int referenceCount() { return refCount; }

    EditorFrame* getFrame() const { return frame; }
    View* getParentView() const { return parentView; }

protected:
    // Views are destroyed by their last release.
    virtual ~View() = default;

    int refCount = 1;
    Rect bounds;
    Rect mouseArea;
    EditorFrame* frame = nullptr;
    View* parentView = nullptr;
    bool dirty = false;
    bool mouseEnabled = true;
    bool transparent = false;
};

class Control : public View {
public:
    Control(const Rect& bounds, ControlListener* listener, std::int32_t tag, ResourceBitmap* background);

    void draw(PaintContext* context) override;
    bool needsRedraw() override;
    void setNeedsRedraw(bool needed) override;

    // Runs the editor's throttled idle; called once per pass of a mouse-tracking loop.
    virtual void runEditorIdle();
    virtual void setValue(float v) { value = v; }
    virtual float getValue() { return value; }
    virtual void setMinimum(float v) { minimum = v; }
    virtual float getMinimum() { return minimum; }
    virtual void setMaximum(float v) { maximum = v; }
    virtual float getMaximum() { return maximum; }
    virtual void setLastDrawnValue(float v) { lastDrawnValue = v; }
    virtual float getLastDrawnValue() { return lastDrawnValue; }
    virtual void setDefaultValue(float v) { defaultValue = v; }
    virtual float getDefaultValue() { return defaultValue; }
    virtual void setTag(std::int32_t t) { tag = t; }
    virtual void setBackground(ResourceBitmap* bitmap);
    virtual ResourceBitmap* getBackground() { return background; }
    virtual void setBackgroundOffset(Point p) { backgroundOffset = p; }
    virtual void alignBackgroundOffset();
    virtual void setWheelStep(float step) { wheelStep = step; }
    virtual float getWheelStep() { return wheelStep; }
    virtual void clampValue();

    std::int32_t getTag() const { return tag; }
    ControlListener* getListener() const { return listener; }
    Point getBackgroundOffset() const { return backgroundOffset; }
    bool checkDoubleClick();

protected:
    ~Control() override;
    // Tells the listener when the value now differs from what is on screen.
    void notifyIfChanged(PaintContext* context);

    ControlListener* listener;
    std::int32_t tag;
    float lastDrawnValue = 1.0f;
    float defaultValue = 0.5f;
    float value = 0.0f;
    float minimum = 0.0f;
    float maximum = 1.0f;
    float wheelStep = 0.1f;
    std::int32_t lastClickTime = -1;
    std::int32_t doubleClickTime;
    ResourceBitmap* background;
    Point backgroundOffset;
};
