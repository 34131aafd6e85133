// VST 3 passes names and texts as UTF-16 in fixed arrays (v3_str_128 and its kin). Ours are
// ASCII, so the conversion is a widening and a narrowing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vst3door {

// Copies text into a UTF-16 array of size units, cut to fit, always terminated.
void toUtf16(const char* text, std::int16_t* out, std::size_t size);
// A host's UTF-16 text (terminated, at most limit units) as ASCII; false when it holds
// anything beyond ASCII.
bool fromUtf16(const std::int16_t* text, std::size_t limit, std::string& out);

}  // namespace vst3door
