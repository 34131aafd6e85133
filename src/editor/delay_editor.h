// DelayEditor: the plug-in's own window, a 640 x 400 background with 27 parameter cells
// (caption, knob or switch, value box) and an About area, drawn at scale 1, 1.5 (960 x 600)
// or 2 (1280 x 800). Knobs, switches and accepted typed values go to the plug-in through its
// EditorConnection inside edit gestures, and every change the plug-in reports moves the
// matching control at the next idle.
#pragma once

#include <array>
#include <optional>

#include "core/parameters.h"
#include "editor/editor_connection.h"
#include "core/parameter_set.h"
#include "gui/gui_editor.h"

class TextField;
class ToggleButton;

class DelayEditor : public GuiEditor, public ControlListener {
public:
    explicit DelayEditor(EditorConnection& connection);
    ~DelayEditor() override;

    bool open(void* parent) override;
    void close() override;
    // Any thread: marks the index; the controls follow at the window thread's next idle.
    void parameterChanged(std::int32_t index) {
        changes.add(index);
        postUpdate();
    }

    void controlChanged(PaintContext* context, Control* control) override;
    void paintControl(PaintContext*, Control*) override {}

    bool isOpen() const { return opened; }
    // While closed: draws the next opened window at this scale (see editor_scale.h), or at the
    // one the user's settings file sets (user_settings.h), which wins; the size getRect()
    // reports follows at once.
    void setScale(double requested);
    double getScale() const { return scale.factor(); }
    // Without a scale from setScale: the desktop's (platform::Services::desktopScale), looked
    // up once, as late as possible, since it may open a connection to the display.
    void settleScale() override;

    // The views of one parameter's cell; null while closed or when one could not be made.
    struct Cell {
        TextField* caption = nullptr;
        Control* control = nullptr;
        TextField* valueBox = nullptr;
    };
    const Cell& cell(std::int32_t index) const { return cells[static_cast<std::size_t>(index)]; }
    ToggleButton* getAboutArea() const { return aboutArea; }

protected:
    void update() override;
    void followWindowScale(double scale) override;

private:
    class Bitmaps;

    void addCell(std::int32_t index, Bitmaps& bitmaps);
    TextField* addCaption(std::int32_t index);
    Control* addControl(std::int32_t index, Bitmaps& bitmaps);
    TextField* addValueBox(std::int32_t index);
    void showParameter(std::int32_t index);
    void applyTypedValue(std::int32_t tag);
    Scale chosenScale(double requested) const;
    void applyScale(double requested);
    void build(void* parent);
    void askHostForSize();

    EditorConnection* connection;  // null once the editor is being destroyed
    std::array<Cell, kNumDefinedParams> cells{};
    Scale scale;
    bool scaleSettled = false;   // by a host's scale or the desktop's
    bool scaleFromHost = false;  // by setScale: the window's own scale is not followed
    void* parentWindow = nullptr;
    ResourceBitmap* background;
    std::optional<double> userChoice;  // the scale in the user's settings file
    ToggleButton* aboutArea = nullptr;
    bool opened = false;  // window thread only
    // Changes come from any thread, but only the window thread may touch controls (close
    // destroys them there): others mark here, and the next idle takes the marks.
    SharedParameterSet changes;
};
