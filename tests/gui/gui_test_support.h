// The backend of the build installed for one test with a host window (gui_test_backend.h),
// and recording stand-ins for the editor and the control listener.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "gui/editor_frame.h"
#include "gui_test_backend.h"

inline void PrintTo(const Point& p, std::ostream* out) { *out << "(" << p.x << ", " << p.y << ")"; }

namespace guitest {

using platform::InputState;

constexpr int kStripId = 100;       // 3 x 15: red, green, blue, yellow, magenta frames of 3 rows
constexpr int kBackgroundId = 101;  // 40 x 30: pixel (x, y) is (6x, 8y, 100)
constexpr int kHandleId = 102;      // 6 x 6: white corners, blue 2 x 2 centre, red (200) elsewhere

inline const InputState kLeft{.left = true};
inline const InputState kUp{};

struct RecordingEditor : FrameEditor {
    std::vector<std::string> calls;
    int idles = 0;
    void timedIdle() override { ++idles; }
    void beginEdit(std::int32_t tag) override { calls.push_back("begin " + std::to_string(tag)); }
    void endEdit(std::int32_t tag) override { calls.push_back("end " + std::to_string(tag)); }
};

struct RecordingListener : ControlListener {
    std::vector<float> values;
    int withoutContext = 0;
    void controlChanged(PaintContext* context, Control* control) override {
        values.push_back(control->getValue());
        if (!context) ++withoutContext;
    }
    void paintControl(PaintContext*, Control*) override {}
};

// A view that logs what reaches it ("A click", "A key", ...) and answers as told.
class ProbeView : public View {
public:
    ProbeView(const Rect& r, std::string viewName, std::vector<std::string>& eventLog)
        : View(r), name(std::move(viewName)), log(eventLog) {}

    int keyAnswer = -1;
    bool acceptsDrops = false;
    Point lastWhere{-1, -1};
    int lastButtons = 0;
    // The last drop offered, copied: the items live only during the call. Text is one item.
    int dropKind = -1;
    int dropCount = -1;
    std::vector<std::string> dropItems;
    View* focusWhenLost = nullptr;

    void draw(PaintContext* context) override {
        log.push_back(name + " draw");
        View::draw(context);
    }
    void onMouseDown(PaintContext* context, Point where) override {
        log.push_back(name + " click");
        lastWhere = where;
        lastButtons = context->mouseButtons();
    }
    int handleKeyDown(KeyStroke&) override {
        log.push_back(name + " key");
        return keyAnswer;
    }
    int handleKeyUp(KeyStroke&) override {
        log.push_back(name + " keyup");
        return keyAnswer;
    }
    bool acceptDrop(char** items, int count, int kind, Point where) override {
        log.push_back(name + " drop");
        lastWhere = where;
        dropKind = kind;
        dropCount = count;
        dropItems.assign(items, items + (kind == 1 ? 1 : count));
        return acceptsDrops;
    }
    bool handleWheel(PaintContext*, Point where, float) override {
        log.push_back(name + " wheel");
        lastWhere = where;
        return true;
    }
    void loseFocus(PaintContext*) override {
        log.push_back(name + " loseFocus");
        focusWhenLost = frame->getFocusView();
    }

private:
    std::string name;
    std::vector<std::string>& log;
};

class GuiTest : public ::testing::Test {
protected:
    GuiTest() {
        knobMode = 0;
        buttonsSwapped = false;
    }
    ~GuiTest() override {
        if (frame) frame->release();
    }

    EditorFrame* openFrame(Rect bounds = {0, 0, 60, 50}) {
        frame = new EditorFrame(bounds, backend.parentWindow(), &editor);
        return frame;
    }
    platform::Window& window() { return *frame->window(); }
    void paint() { backend.paint(); }
    platform::ColourRef pixel(int x, int y) { return backend.pixel(window(), x, y); }
    platform::PixelPoint screen(Point p) { return backend.screen(p.x, p.y); }
    void press(Point where, InputState state = kLeft) { backend.press(window(), {where.x, where.y}, state); }
    void step(Point where, InputState state = kLeft) { backend.queueStep(screen(where), state); }
    void pointAt(Point where, InputState state = kUp) { backend.setInput(screen(where), state); }

    GuiTestBackend backend;
    RecordingEditor editor;
    RecordingListener listener;
    EditorFrame* frame = nullptr;
};

inline platform::ColourRef ref(Colour c) { return c.ref(); }

}  // namespace guitest
