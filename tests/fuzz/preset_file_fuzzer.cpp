// The .fxp / .fxb reader on arbitrary bytes: it must refuse or accept without reading out of
// bounds, and what it accepts must write back to bytes that read the same again.
#include <cstdint>
#include <cstdlib>

#include "plughost/preset_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto file = plughost::parsePresetFile({data, size}, error);
    if (!file) {
        if (error.rfind("byte ", 0) != 0) std::abort();  // every refusal names its offset
        return 0;
    }
    const auto written = plughost::writePresetFile(*file);
    const auto again = plughost::parsePresetFile(written, error);
    if (!again || plughost::writePresetFile(*again) != written) std::abort();
    return 0;
}
