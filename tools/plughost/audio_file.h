// Stereo audio in memory, and its way in and out of files through libsndfile.
#pragma once

#include <string>
#include <vector>

namespace plughost {

struct StereoAudio {
    double sampleRate = 44100.0;
    std::vector<float> left, right;
    std::size_t frames() const { return left.size(); }
};

// Reads any format libsndfile knows. A mono file feeds both channels; of a file with more
// than two channels the first two are used. False with a reason in error on failure.
bool readAudio(const std::string& path, StereoAudio& audio, std::string& error);

// Writes a stereo 32-bit float WAV file.
bool writeFloatWav(const std::string& path, const StereoAudio& audio, std::string& error);

}  // namespace plughost
