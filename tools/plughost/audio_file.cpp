#include "plughost/audio_file.h"

#include <sndfile.h>

#include <memory>

namespace plughost {
namespace {

struct FileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, FileCloser>;

}  // namespace

bool readAudio(const std::string& path, StereoAudio& audio, std::string& error) {
    SF_INFO info{};
    SoundFile file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        error = path + ": " + sf_strerror(nullptr);
        return false;
    }
    if (info.channels < 1 || info.frames < 0) {
        error = path + ": no audio channels";
        return false;
    }
    const auto channels = static_cast<std::size_t>(info.channels);
    std::vector<float> interleaved(static_cast<std::size_t>(info.frames) * channels);
    const sf_count_t read = sf_readf_float(file.get(), interleaved.data(), info.frames);
    const auto frames = static_cast<std::size_t>(read < 0 ? 0 : read);
    audio.sampleRate = info.samplerate;
    audio.left.resize(frames);
    audio.right.resize(frames);
    const std::size_t rightChannel = channels > 1 ? 1 : 0;
    for (std::size_t i = 0; i < frames; ++i) {
        audio.left[i] = interleaved[i * channels];
        audio.right[i] = interleaved[i * channels + rightChannel];
    }
    return true;
}

bool writeFloatWav(const std::string& path, const StereoAudio& audio, std::string& error) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(audio.sampleRate);
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SoundFile file(sf_open(path.c_str(), SFM_WRITE, &info));
    if (!file) {
        error = path + ": " + sf_strerror(nullptr);
        return false;
    }
    std::vector<float> interleaved(audio.frames() * 2);
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        interleaved[2 * i] = audio.left[i];
        interleaved[2 * i + 1] = audio.right[i];
    }
    const auto frames = static_cast<sf_count_t>(audio.frames());
    if (sf_writef_float(file.get(), interleaved.data(), frames) != frames) {
        error = path + ": " + sf_strerror(file.get());
        return false;
    }
    return true;
}

}  // namespace plughost
