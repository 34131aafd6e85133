// A key as the toolkit's views take it: the character (0 for keys without one), the virtual
// key number (the arrows are 11 to 14: left, up, right, down) and the modifier bits (1 Shift).
// A format's door translates its host's key events into this.
#pragma once

#include <cstdint>

struct KeyStroke {
    std::int32_t character = 0;
    unsigned char virt = 0;
    unsigned char modifier = 0;
};
