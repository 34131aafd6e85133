// The text of the About box: eight lines, at most 255 characters.
#pragma once

namespace abouttext {

inline constexpr char kTitle[] = "About";
inline constexpr char kText[] =
    "Vellumine\n"
    "Version 1.1\n"
    "\n"
    "A stereo delay by Quorvane: filtered origin and delay paths.\n"
    "Art, sound and code made by Quorvane.\n"
    "\n"
    "VST is a trademark of Steinberg Media AG.\n"
    "quorvane.example/vellumine";

static_assert(sizeof kText - 1 <= 255, "the About text fits a 255-character box");

}  // namespace abouttext
