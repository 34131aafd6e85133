// Where every view of the editor stands: a cell per parameter (caption, knob or switch, value
// box) in two panels, the delay's last four in a box of their own inside the left one, and the
// About area between the panels. Coordinates are window pixels with
// right and bottom one past the last pixel.
#pragma once

#include <array>
#include <cstdint>

#include "core/parameters.h"
#include "gui/paint_context.h"

namespace editorlayout {

// Resource ids of the editor's art.
inline constexpr int kBackgroundBitmap = 1024;   // 640 x 400, its size is the editor's size
inline constexpr int kSwitchBitmap = 1025;       // five 45 x 45 frames stacked top to bottom
inline constexpr int kKnobBitmap = 1026;         // 45 x 45 knob body
inline constexpr int kHandleBitmap = 1027;       // 6 x 6 handle dot
inline constexpr int kSmallKnobBitmap = 1028;    // 21 x 21 knob body of the compact cell
inline constexpr int kSmallHandleBitmap = 1029;  // 5 x 5 handle dot of the compact cell's knob

inline constexpr int kSwitchFrameHeight = 45;

// Tags of the views that are not named by their parameter index.
inline constexpr std::int32_t kFirstValueBoxTag = 0x1000;  // + k for the k-th knob parameter
inline constexpr std::int32_t kAboutTag = 8000;
inline constexpr Rect kAboutArea{285, 45, 350, 359};

// How a cell's views stand: caption, control and value box one below the other, or the control
// at the left and the caption above the value box beside it.
enum class CellArrangement { Stacked, Beside };

// The sizes in a cell.
struct CellShape {
    std::int32_t width;  // of the caption and the value box
    std::int32_t captionHeight;
    std::int32_t controlTop;   // from the caption's top
    std::int32_t controlSize;  // the square control, centred in the width when stacked
    int knobBitmap;
    int handleBitmap;
    CellArrangement arrangement = CellArrangement::Stacked;
};

inline constexpr std::int32_t kValueBoxHeight = 14;
// The cells of the two panels' grids.
inline constexpr CellShape kGridCell{70, 14, 16, 45, kKnobBitmap, kHandleBitmap};
// Sync's cell, in the gap between the delay's Rate and Feedback knobs: it sets the delay time
// with Rate, so it stands beside Rate's knob. Its box ends two rows above the boxes' row: a
// box's frame takes the row below its rectangle, and a row of background keeps the boxes apart.
inline constexpr CellShape kCompactCell{33, 10, 10, 21, kSmallKnobBitmap, kSmallHandleBitmap};
// The cells of the delay's Stereo, Motion, Freeze and Duck: the small knob, and its texts beside
// it, wide enough for "Ping-Pong" and "100.0000%".
inline constexpr CellShape kSideCell{52, 10, 2, 21, kSmallKnobBitmap, kSmallHandleBitmap, CellArrangement::Beside};
inline constexpr std::int32_t kSideGap = 3;  // between a side cell's knob and its texts

struct CellLayout {
    std::int32_t parameter;
    std::int32_t x;  // the cell's origin: the caption's top-left corner
    std::int32_t y;
    int switchPositions;  // 0 for a knob
    std::int32_t valueBoxTag;
    int knobStops = 0;  // a knob that stops at this many values; 0 turns freely
    CellShape shape = kGridCell;
};

// How a cell shows its parameter: a knob that turns freely, whose box takes typed numbers; a
// switch with a frame per stop; a knob that stops at each stop.
enum class CellControl { Knob, Switch, SteppedKnob };

// The boxes of knobs that turn freely (every parameter but the enumerations) are editable and
// count up from kFirstValueBoxTag in parameter order; the others carry the parameter index.
constexpr std::int32_t valueBoxTagOf(std::int32_t index) {
    if (kParameters[index].unit == Unit::Enumeration) return index;
    std::int32_t before = 0;
    for (std::int32_t other = 0; other < index; ++other) before += kParameters[other].unit != Unit::Enumeration;
    return kFirstValueBoxTag + before;
}

constexpr CellLayout cell(std::int32_t index, std::int32_t x, std::int32_t y, CellControl control = CellControl::Knob,
                          CellShape shape = kGridCell) {
    const int stops = static_cast<int>(kParameters[index].stops.size());
    return {index, x, y, control == CellControl::Switch ? stops : 0, valueBoxTagOf(index),
            control == CellControl::SteppedKnob ? stops : 0, shape};
}

inline constexpr std::int32_t kColumns[] = {45, 125, 205, 360, 440, 520};
inline constexpr std::int32_t kRows[] = {35, 121, 207, 293};
inline constexpr std::int32_t kSyncCellX = 498;  // Rate's knob ends at 497, Feedback's starts at 532
inline constexpr std::int32_t kSyncCellY = 49;   // below the captions' row; the boxes' row starts at 97
// The Delay panel is full: the delay's Stereo, Motion, Freeze and Duck stand in the Origin
// panel's top row beside its Output Mix, two by two in a box headed Delay that the background
// draws from (118, 44) to (281, 115), its heading above the first row; the lower row's boxes
// line up with Output Mix's.
inline constexpr std::int32_t kSideColumns[] = {122, 202};
inline constexpr std::int32_t kSideRows[] = {58, 87};

// One cell per parameter, in parameter order (checked below).
inline constexpr std::array<CellLayout, kNumDefinedParams> kCells = {{
    cell(OriginMix, kColumns[0], kRows[0]),
    cell(OriginFilterType, kColumns[0], kRows[1], CellControl::Switch),
    cell(OriginCutoff, kColumns[1], kRows[1]),
    cell(OriginQ, kColumns[2], kRows[1]),
    cell(OriginFilterLfoShape, kColumns[0], kRows[2], CellControl::Switch),
    cell(OriginFilterLfoRate, kColumns[1], kRows[2]),
    cell(OriginFilterLfoDepth, kColumns[2], kRows[2]),
    cell(OriginVolLfoShape, kColumns[0], kRows[3], CellControl::Switch),
    cell(OriginVolLfoRate, kColumns[1], kRows[3]),
    cell(OriginVolLfoDepth, kColumns[2], kRows[3]),
    cell(DelayMix, kColumns[3], kRows[0]),
    cell(DelayTime, kColumns[4], kRows[0]),
    cell(Feedback, kColumns[5], kRows[0]),
    cell(DelayFilterType, kColumns[3], kRows[1], CellControl::Switch),
    cell(DelayCutoff, kColumns[4], kRows[1]),
    cell(DelayQ, kColumns[5], kRows[1]),
    cell(DelayFilterLfoShape, kColumns[3], kRows[2], CellControl::Switch),
    cell(DelayFilterLfoRate, kColumns[4], kRows[2]),
    cell(DelayFilterLfoDepth, kColumns[5], kRows[2]),
    cell(DelayVolLfoShape, kColumns[3], kRows[3], CellControl::Switch),
    cell(DelayVolLfoRate, kColumns[4], kRows[3]),
    cell(DelayVolLfoDepth, kColumns[5], kRows[3]),
    cell(DelaySync, kSyncCellX, kSyncCellY, CellControl::SteppedKnob, kCompactCell),
    cell(DelayStereo, kSideColumns[0], kSideRows[0], CellControl::SteppedKnob, kSideCell),
    cell(DelayMotion, kSideColumns[1], kSideRows[0], CellControl::SteppedKnob, kSideCell),
    cell(DelayFreeze, kSideColumns[0], kSideRows[1], CellControl::SteppedKnob, kSideCell),
    cell(DelayDuck, kSideColumns[1], kSideRows[1], CellControl::Knob, kSideCell),
}};

constexpr bool cellsInParameterOrder() {
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index)
        if (kCells[static_cast<std::size_t>(index)].parameter != index) return false;
    return true;
}
static_assert(cellsInParameterOrder(), "kCells holds one cell per parameter, in parameter order");

inline constexpr int kEditableBoxes = [] {
    int boxes = 0;
    for (const ParameterInfo& parameter : kParameters) boxes += parameter.unit != Unit::Enumeration;
    return boxes;
}();

constexpr bool isBeside(const CellLayout& c) { return c.shape.arrangement == CellArrangement::Beside; }
// The left edge of the caption and the value box.
constexpr std::int32_t textLeft(const CellLayout& c) {
    return isBeside(c) ? c.x + c.shape.controlSize + kSideGap : c.x;
}
constexpr Rect captionRect(const CellLayout& c) {
    return {textLeft(c), c.y, textLeft(c) + c.shape.width, c.y + c.shape.captionHeight};
}
constexpr Rect controlRect(const CellLayout& c) {
    const std::int32_t left = isBeside(c) ? c.x : c.x + (c.shape.width - c.shape.controlSize) / 2;
    const std::int32_t top = c.y + c.shape.controlTop;
    return {left, top, left + c.shape.controlSize, top + c.shape.controlSize};
}
constexpr Rect valueBoxRect(const CellLayout& c) {
    const std::int32_t top = isBeside(c) ? captionRect(c).bottom : controlRect(c).bottom + 1;
    return {textLeft(c), top, textLeft(c) + c.shape.width, top + kValueBoxHeight};
}

constexpr bool isEditableBoxTag(std::int32_t tag) {
    return tag >= kFirstValueBoxTag && tag < kFirstValueBoxTag + kEditableBoxes;
}

// The parameter whose editable value box carries `tag`, or -1.
constexpr std::int32_t parameterOfValueBox(std::int32_t tag) {
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index)
        if (kCells[static_cast<std::size_t>(index)].valueBoxTag == tag && isEditableBoxTag(tag)) return index;
    return -1;
}

}  // namespace editorlayout
