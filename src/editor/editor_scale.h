// The scales the editor is drawn at. Its art is drawn for each of them, not enlarged, so any
// other scale asked for takes the nearest supported one not larger, and at least 1.
#pragma once

namespace editorscale {

#ifdef _WIN32
// The Windows modules bind only the art of scale 1 so far.
inline constexpr int kLargest = 1;
#else
inline constexpr int kLargest = 2;
#endif

inline int supported(double requested) {
    // Written so that NaN, too, gives 1.
    return requested >= kLargest ? kLargest : 1;
}

}  // namespace editorscale
