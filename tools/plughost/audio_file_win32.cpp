// The Windows build has no libsndfile: WAV files only, through the built-in reader and writer.
#include <fstream>
#include <iterator>

#include "plughost/audio_file.h"
#include "plughost/wav_file.h"

namespace plughost {

bool readAudio(const std::string& path, StereoAudio& audio, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot open the file";
        return false;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (decodeWav(bytes, audio, error)) return true;
    error = path + ": " + error;
    return false;
}

bool writeFloatWav(const std::string& path, const StereoAudio& audio, std::string& error) {
    const std::vector<std::uint8_t> bytes = encodeFloatWav(audio);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (file) return true;
    error = path + ": cannot write the file";
    return false;
}

}  // namespace plughost
