// WAV files without libsndfile, for the Windows build, which has no libsndfile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plughost/audio_file.h"

namespace plughost {

// A whole stereo 32-bit float WAV file.
std::vector<std::uint8_t> encodeFloatWav(const StereoAudio& audio);

// Reads 16-, 24- and 32-bit integer and 32-bit float WAV files (also in the extensible
// format), with readAudio's channel rules. False with a reason in error otherwise.
bool decodeWav(const std::vector<std::uint8_t>& bytes, StereoAudio& audio, std::string& error);

}  // namespace plughost
