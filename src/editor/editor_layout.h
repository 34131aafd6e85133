// Where every view of the editor stands: 23 parameter cells (caption, knob or switch, value
// box) in two panels, and the About area between them. Coordinates are window pixels with
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

// The sizes in a cell, whose caption, control and value box stand one below the other.
struct CellShape {
    std::int32_t width;  // of the caption and the value box
    std::int32_t captionHeight;
    std::int32_t controlTop;   // from the caption's top
    std::int32_t controlSize;  // the square control, centred in the width
    int knobBitmap;
    int handleBitmap;
};

inline constexpr std::int32_t kValueBoxHeight = 14;
// The cells of the two panels' grids.
inline constexpr CellShape kGridCell{70, 14, 16, 45, kKnobBitmap, kHandleBitmap};
// Sync's cell, in the gap between the delay's Rate and Feedback knobs: it sets the delay time
// with Rate, so it stands beside Rate's knob. Its box ends two rows above the boxes' row: a
// box's frame takes the row below its rectangle, and a row of background keeps the boxes apart.
inline constexpr CellShape kCompactCell{33, 10, 10, 21, kSmallKnobBitmap, kSmallHandleBitmap};

struct CellLayout {
    std::int32_t x;  // the cell's origin: the caption's top-left corner
    std::int32_t y;
    int switchPositions;  // 0 for a knob
    std::int32_t valueBoxTag;
    int knobStops = 0;  // a knob that stops at this many values; 0 turns freely
    CellShape shape = kGridCell;
};

inline constexpr std::int32_t kColumns[] = {45, 125, 205, 360, 440, 520};
inline constexpr std::int32_t kRows[] = {35, 121, 207, 293};
inline constexpr std::int32_t kSyncCellX = 498;  // Rate's knob ends at 497, Feedback's starts at 532
inline constexpr std::int32_t kSyncCellY = 49;   // below the captions' row; the boxes' row starts at 97

// Indexed by parameter. Boxes of knobs that turn freely are editable and count up from 0x1000;
// a switch's or a stepped knob's box shows its text only and carries the parameter index.
inline constexpr std::array<CellLayout, kNumDefinedParams> kCells = {{
    {kColumns[0], kRows[0], 0, kFirstValueBoxTag + 0},
    {kColumns[0], kRows[1], 4, OriginFilterType},
    {kColumns[1], kRows[1], 0, kFirstValueBoxTag + 1},
    {kColumns[2], kRows[1], 0, kFirstValueBoxTag + 2},
    {kColumns[0], kRows[2], 5, OriginFilterLfoShape},
    {kColumns[1], kRows[2], 0, kFirstValueBoxTag + 3},
    {kColumns[2], kRows[2], 0, kFirstValueBoxTag + 4},
    {kColumns[0], kRows[3], 5, OriginVolLfoShape},
    {kColumns[1], kRows[3], 0, kFirstValueBoxTag + 5},
    {kColumns[2], kRows[3], 0, kFirstValueBoxTag + 6},
    {kColumns[3], kRows[0], 0, kFirstValueBoxTag + 7},
    {kColumns[4], kRows[0], 0, kFirstValueBoxTag + 8},
    {kColumns[5], kRows[0], 0, kFirstValueBoxTag + 9},
    {kColumns[3], kRows[1], 4, DelayFilterType},
    {kColumns[4], kRows[1], 0, kFirstValueBoxTag + 10},
    {kColumns[5], kRows[1], 0, kFirstValueBoxTag + 11},
    {kColumns[3], kRows[2], 5, DelayFilterLfoShape},
    {kColumns[4], kRows[2], 0, kFirstValueBoxTag + 12},
    {kColumns[5], kRows[2], 0, kFirstValueBoxTag + 13},
    {kColumns[3], kRows[3], 5, DelayVolLfoShape},
    {kColumns[4], kRows[3], 0, kFirstValueBoxTag + 14},
    {kColumns[5], kRows[3], 0, kFirstValueBoxTag + 15},
    {kSyncCellX, kSyncCellY, 0, DelaySync, static_cast<int>(kParameters[DelaySync].stops.size()), kCompactCell},
}};

inline constexpr int kEditableBoxes = 16;

constexpr Rect captionRect(const CellLayout& c) { return {c.x, c.y, c.x + c.shape.width, c.y + c.shape.captionHeight}; }
constexpr Rect controlRect(const CellLayout& c) {
    const std::int32_t left = c.x + (c.shape.width - c.shape.controlSize) / 2;
    const std::int32_t top = c.y + c.shape.controlTop;
    return {left, top, left + c.shape.controlSize, top + c.shape.controlSize};
}
constexpr Rect valueBoxRect(const CellLayout& c) {
    const std::int32_t top = controlRect(c).bottom + 1;
    return {c.x, top, c.x + c.shape.width, top + kValueBoxHeight};
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
