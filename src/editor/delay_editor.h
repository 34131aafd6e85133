// DelayEditor: the plug-in's own window, a 640 x 400 background with 22 parameter cells
// (caption, knob or switch, value box) and an About area. Knobs, switches and accepted typed
// values are reported to the host as automation inside edit gestures, and every change that
// reaches the effect moves the matching control at the next idle.
#pragma once

#include <array>

#include "editor/parameter_changes.h"
#include "engine/parameters.h"
#include "host/gui_editor_base.h"

class DelayEffect;
class TextField;
class ToggleButton;

class DelayEditor : public GuiEditorBase, public ControlListener {
public:
    explicit DelayEditor(DelayEffect* effect);
    ~DelayEditor() override;

    VstInt32 open(void* parent) override;
    void close() override;
    // Any thread: marks the index; the controls follow at the window thread's next idle.
    void setParameter(VstInt32 index, float value) override;

    void controlChanged(PaintContext* context, Control* control) override;
    void paintControl(PaintContext*, Control*) override {}

    bool isOpen() const { return opened; }

    // The views of one parameter's cell; null while closed or when one could not be made.
    struct Cell {
        TextField* caption = nullptr;
        Control* control = nullptr;
        TextField* valueBox = nullptr;
    };
    const Cell& cell(VstInt32 index) const { return cells[static_cast<std::size_t>(index)]; }
    ToggleButton* getAboutArea() const { return aboutArea; }

protected:
    // Runs at idle on the window thread, whenever an update was posted.
    void update() override;

private:
    void addCell(VstInt32 index, ResourceBitmap* switchStrip, ResourceBitmap* knobBody, ResourceBitmap* knobHandle);
    TextField* addCaption(VstInt32 index);
    Control* addControl(VstInt32 index, ResourceBitmap* switchStrip, ResourceBitmap* knobBody,
                        ResourceBitmap* knobHandle);
    TextField* addValueBox(VstInt32 index);
    void showParameter(VstInt32 index);
    void applyTypedValue(std::int32_t tag);

    DelayEffect* delayEffect;  // null once the effect is being destroyed
    std::array<Cell, kNumDefinedParams> cells{};
    ResourceBitmap* background;
    ToggleButton* aboutArea = nullptr;
    bool opened = false;  // window thread only
    ParameterChanges changes;
};
