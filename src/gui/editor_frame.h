// EditorFrame: the editor's native child window and the root of its view list. Drawing goes
// in insertion order, input to the last-added view first. It owns the redraw policy (paint
// messages redraw what intersects the update area, the idle pass redraws only views whose value
// or mark changed), keyboard focus, key and wheel routing, edit gestures and drop dispatch.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/view.h"

// The host's knob mode (2 = linear); written by the editor, read by knobs.
extern int knobMode;

class EditorFrame : public View, private platform::WindowHandler {
public:
    // `bounds` in the views' coordinates; the window is `scale` times as large (1, 1.5 or 2).
    EditorFrame(const Rect& bounds, void* parentWindow, FrameEditor* editor, Scale scale = Scale());

    void draw(PaintContext* context) override;
    void drawInRect(PaintContext* context, const Rect& r) override;
    void onMouseDown(PaintContext* context, Point where) override;
    void redrawIfDirty(PaintContext* context) override;
    int handleKeyDown(KeyStroke& key) override;
    int handleKeyUp(KeyStroke& key) override;
    bool acceptDrop(char** items, int count, int kind, Point where) override;
    bool handleWheel(PaintContext* context, Point where, float distance) override;
    FrameEditor* ownerEditor() override { return editor; }

    virtual bool addView(View* view);
    virtual bool removeView(View* view, bool release);
    virtual bool removeAllViews(bool release);
    virtual bool containsView(View* view);
    virtual int viewCount() { return static_cast<int>(views.size()); }
    virtual View* viewAt(int index);

    bool openWindow(void* parent);
    bool setDropEnabled(bool on);
    // Draws one view of the list, or the whole frame for null or a view not in the list.
    void redrawView(View* view);
    bool anythingDirty();
    void idleRedraw();
    std::int32_t tickCount();
    void setBackground(ResourceBitmap* bitmap);
    ResourceBitmap* getBackground() const { return background; }
    void beginEdit(std::int32_t tag);
    void endEdit(std::int32_t tag);
    View* viewUnderCursor();
    bool cursorPosition(Point& p);
    void setFocusView(View* view);
    View* getFocusView() const { return focusView; }
    platform::Window* window() const { return nativeWindow.get(); }
    bool isWindowOpen() const { return windowOpen; }
    bool isFirstPaintPending() const { return firstPaintPending; }
    Scale getScale() const { return scale; }

    static const std::string& windowClassName();
    static int windowClassUseCount();

protected:
    ~EditorFrame() override;

private:
    void windowPaint(platform::Surface& surface, const platform::PixelRect& updateRect) override;
    void windowButtonDown(platform::Surface& surface, platform::PixelPoint where) override;
    void windowDestroyed() override;
    void windowScaleChanged(double newScale) override { editor->windowScaleChanged(newScale); }
    void windowDrop(char** items, int count, int kind) override;
    void endFocus();
    template <typename Paint>
    void paintOnWindow(Paint paint);

    FrameEditor* editor;
    void* parentWindow;
    Scale scale;
    ResourceBitmap* background = nullptr;
    std::vector<View*> views;
    View* focusView = nullptr;
    bool firstPaintPending = true;
    bool windowOpen = true;
    bool dropRegistered = false;
    std::unique_ptr<platform::Window> nativeWindow;
};
