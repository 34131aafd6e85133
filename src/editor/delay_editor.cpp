#include "editor/delay_editor.h"

#include <new>
#include <utility>
#include <vector>

#include "editor/about_text.h"
#include "editor/editor_layout.h"
#include "editor/editor_scale.h"
#include "editor/user_settings.h"
#include "core/number_text.h"
#include "gui/frame_switch.h"
#include "gui/knob.h"
#include "gui/text_field.h"

using namespace editorlayout;

namespace {

constexpr int kFontSmall = 6;  // Arial, 9 pixels
constexpr int kCentred = 1;
constexpr int kCaptionStyle = 0;
// Selects none of the text field's drawing or editing styles: a plain box.
constexpr int kValueBoxStyle = 0x58;
constexpr Colour kCaptionBack = colourGrey;
constexpr Colour kCaptionText = colourWhite;
constexpr Colour kCaptionFrame = colourGrey;
constexpr Colour kValueBoxFrame = colourGrey;
constexpr Colour kValueBoxText = colourWhite;
constexpr Colour kValueBoxBack = colourBlack;
constexpr int kTextBufferSize = 256;

const CellLayout& layoutOf(std::int32_t index) { return kCells[static_cast<std::size_t>(index)]; }

}  // namespace

// The controls' bitmaps, each loaded once while open() builds the cells; every control takes
// its own references.
class DelayEditor::Bitmaps {
public:
    explicit Bitmaps(Scale artScale) : scale(artScale) {}
    Bitmaps(const Bitmaps&) = delete;
    Bitmaps& operator=(const Bitmaps&) = delete;
    ~Bitmaps() {
        for (const auto& [id, bitmap] : loaded) bitmap->release();
    }

    ResourceBitmap* operator()(int id) {
        for (const auto& [loadedId, bitmap] : loaded)
            if (loadedId == id) return bitmap;
        return loaded.emplace_back(id, new ResourceBitmap(id, scale)).second;
    }

private:
    Scale scale;
    std::vector<std::pair<int, ResourceBitmap*>> loaded;
};

DelayEditor::DelayEditor(EditorConnection& plugin)
    : GuiEditor(plugin), connection(&plugin), background(new ResourceBitmap(kBackgroundBitmap)),
      userChoice(usersettings::userScale()) {
    rect = {0, 0, background->getWidth(), background->getHeight()};
    applyScale(1.0);
}

void DelayEditor::setScale(double requested) {
    scaleSettled = true;
    scaleFromHost = true;
    applyScale(requested);
}

void DelayEditor::settleScale() {
    if (scaleSettled || opened) return;
    scaleSettled = true;
    applyScale(platform::services().desktopScale());
}

// The user's choice wins over the scale asked for.
Scale DelayEditor::chosenScale(double requested) const {
    return editorscale::supported(userChoice.value_or(requested));
}

void DelayEditor::applyScale(double requested) {
    const Scale chosen = chosenScale(requested);
    if (opened || chosen == scale) return;
    auto* scaled = new ResourceBitmap(kBackgroundBitmap, chosen);
    background->release();
    background = scaled;
    scale = chosen;
    rect = {0, 0, scale.pixels(background->getWidth()), scale.pixels(background->getHeight())};
}

DelayEditor::~DelayEditor() {
    // The plug-in around this editor may already be going away: a text edit ended by the
    // teardown must not reach it.
    connection = nullptr;
    close();
    background->release();
}

// Where the host gave no scale, the host's window may have one of its own, other than the
// desktop's that the size was answered with: then the host is asked for the new size.
bool DelayEditor::open(void* parent) {
    if (frame) close();  // a second open without close starts afresh instead of leaking
    const Rect answered = rect;
    if (!scaleFromHost) {
        if (const auto windowScale = platform::services().windowScale(parent)) applyScale(*windowScale);
    }
    build(parent);
    if (!(rect == answered)) askHostForSize();
    return true;
}

// The window moved to a scale the editor is not drawn at: it is built again inside the same
// host window at the new scale, and the host is asked to follow.
void DelayEditor::followWindowScale(double requested) {
    if (!opened || scaleFromHost || chosenScale(requested) == scale) return;
    void* parent = parentWindow;
    close();
    applyScale(requested);
    build(parent);
    askHostForSize();
}

void DelayEditor::askHostForSize() {
    if (connection) connection->resizeHostWindow(rect.width(), rect.height());
}

void DelayEditor::build(void* parent) {
    GuiEditor::open(parent);
    parentWindow = parent;
    Bitmaps bitmaps(scale);
    frame = new EditorFrame({0, 0, background->getWidth(), background->getHeight()}, parent, this, scale);
    frame->setBackground(background);
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) addCell(index, bitmaps);
    aboutArea = new ToggleButton(kAboutArea, this, kAboutTag, nullptr);
    frame->addView(aboutArea);
    opened = true;
}

void DelayEditor::addCell(std::int32_t index, Bitmaps& bitmaps) {
    Cell& c = cells[static_cast<std::size_t>(index)];
    c.caption = addCaption(index);
    c.control = addControl(index, bitmaps);
    c.valueBox = addValueBox(index);
}

// White text straight on the background: neither back colour nor frame is painted.
TextField* DelayEditor::addCaption(std::int32_t index) {
    auto* caption = new TextField(captionRect(layoutOf(index)), this, index, nullptr, nullptr, kCaptionStyle);
    caption->setFont(kFontSmall);
    caption->setFrameColour(kCaptionFrame);
    caption->setTextColour(kCaptionText);
    caption->setBackColour(kCaptionBack);
    caption->setAlignment(kCentred);
    caption->setMouseEnabled(false);
    caption->setTransparent(true);
    frame->addView(caption);
    caption->setText(kParameters[index].name);
    return caption;
}

Control* DelayEditor::addControl(std::int32_t index, Bitmaps& bitmaps) {
    const CellLayout& layout = layoutOf(index);
    Control* control = nullptr;
    if (layout.switchPositions == 0) {
        auto* knob = new Knob(controlRect(layout), this, index, bitmaps(layout.shape.knobBitmap),
                              bitmaps(layout.shape.handleBitmap), {0, 0});
        knob->setStops(layout.knobStops);
        control = knob;
    } else {
        control = FrameSwitch::create(controlRect(layout), this, index, layout.switchPositions, kSwitchFrameHeight,
                                      layout.switchPositions, bitmaps(kSwitchBitmap), {0, 0});
        if (!control) return nullptr;
    }
    control->setTransparent(true);
    control->setValue(connection->parameterValue(index));
    frame->addView(control);
    return control;
}

// A black box with a grey frame and white centred text; only the boxes of knobs that turn
// freely take input.
TextField* DelayEditor::addValueBox(std::int32_t index) {
    const CellLayout& layout = layoutOf(index);
    auto* box = new TextField(valueBoxRect(layout), this, layout.valueBoxTag, nullptr, nullptr, kValueBoxStyle);
    box->setFont(kFontSmall);
    box->setFrameColour(kValueBoxFrame);
    box->setTextColour(kValueBoxText);
    box->setBackColour(kValueBoxBack);
    box->setAlignment(kCentred);
    box->setMouseEnabled(isEditableBoxTag(layout.valueBoxTag));
    frame->addView(box);
    char text[kDisplayTextSize] = {};
    connection->parameterText(index, text);
    box->setText(text);
    return box;
}

void DelayEditor::close() {
    opened = false;
    if (!frame) return;
    // The frame releases every view; a value being typed is committed on the way.
    frame->release();
    frame = nullptr;
    aboutArea = nullptr;
    cells = {};
}

void DelayEditor::update() {
    ParameterSet changed = changes.take();
    if (!opened) return;  // the next open reads every value afresh
    // While Sync is on, Rate's text is the synced length: turning Sync rewrites it.
    if (changed.contains(DelaySync)) changed.add(DelayTime);
    changed.forEach([&](std::int32_t index) { showParameter(index); });
}

void DelayEditor::showParameter(std::int32_t index) {
    Cell& c = cells[static_cast<std::size_t>(index)];
    if (!c.control) return;
    c.control->setValue(connection->parameterValue(index));
    char text[kDisplayTextSize] = {};
    connection->parameterText(index, text);
    if (c.valueBox) c.valueBox->setText(text);
}

void DelayEditor::controlChanged(PaintContext*, Control* control) {
    if (!connection) return;
    const std::int32_t tag = control->getTag();
    if (tag == kAboutTag) {
        // Every click shows the box, whichever way the area's own value just flipped.
        platform::services().messageBox(abouttext::kText, abouttext::kTitle, scale.factor());
    } else if (isEditableBoxTag(tag)) {
        applyTypedValue(tag);
    } else {
        connection->editParameter(tag, control->getValue());
    }
}

// An accepted number is reported to the host as one complete edit gesture, as a knob click
// is: otherwise the host's own value, its undo and its record of unsaved changes would miss an
// edit that changes the sound. A refused number, or one that gives the value the parameter
// already has, changes nothing: the box only shows the parameter's own text again.
void DelayEditor::applyTypedValue(std::int32_t tag) {
    const std::int32_t index = parameterOfValueBox(tag);
    TextField* box = cells[static_cast<std::size_t>(index)].valueBox;
    if (!box) return;
    char text[kTextBufferSize] = {};
    box->getText(text);
    const std::optional<float> value = typedToNormalized(index, numbertext::parseNumber(text));
    if (!value || *value == connection->parameterValue(index)) {
        showParameter(index);
        return;
    }
    beginEdit(index);
    connection->editParameter(index, *value);
    endEdit(index);
}
