#include "vst3/vst3_text.h"

namespace vst3door {

void toUtf16(const char* text, std::int16_t* out, std::size_t size) {
    if (size == 0) return;
    std::size_t at = 0;
    for (; text && text[at] != '\0' && at + 1 < size; ++at) out[at] = static_cast<std::int16_t>(static_cast<unsigned char>(text[at]));
    out[at] = 0;
}

bool fromUtf16(const std::int16_t* text, std::size_t limit, std::string& out) {
    out.clear();
    for (std::size_t at = 0; at < limit && text[at] != 0; ++at) {
        const auto unit = static_cast<std::uint16_t>(text[at]);
        if (unit > 0x7f) return false;
        out.push_back(static_cast<char>(unit));
    }
    return true;
}

}  // namespace vst3door
