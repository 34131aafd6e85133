#include "plughost/default_signal.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace plughost {
namespace {

// A fixed linear congruential generator keeps the signal identical everywhere.
class Noise {
public:
    float next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / static_cast<float>(1u << 23) - 1.0f;
    }

private:
    std::uint32_t state = 12345u;
};

// A short fade at the end keeps the note's cut-off free of a click.
double fadeOut(double t) {
    constexpr double kFade = 0.05;
    const double left = kNoteSeconds - t;
    return left >= kFade ? 1.0 : std::max(left, 0.0) / kFade;
}

// Karplus-Strong: a noise burst circulating in a short averaging delay line.
void addPluck(std::vector<float>& out, std::size_t at, double frequency, double rate, Noise& noise) {
    const auto period = static_cast<std::size_t>(rate / frequency);
    std::vector<float> line(period);
    for (float& s : line) s = 0.5f * noise.next();
    const auto length = static_cast<std::size_t>(kNoteSeconds * rate);
    for (std::size_t i = 0; i < length && at + i < out.size(); ++i) {
        const std::size_t k = i % period;
        const float sample = line[k];
        line[k] = 0.498f * (sample + line[(k + 1) % period]);
        out[at + i] += static_cast<float>(sample * fadeOut(static_cast<double>(i) / rate));
    }
}

// A drum-like hit: a sine falling from 180 to 50 Hz under a fast decay, plus a click.
void addHit(std::vector<float>& out, std::size_t at, double rate, Noise& noise) {
    const auto length = static_cast<std::size_t>(kNoteSeconds * rate);
    double phase = 0.0;
    for (std::size_t i = 0; i < length && at + i < out.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double frequency = 50.0 + 130.0 * std::exp(-t * 30.0);
        phase += 2.0 * std::numbers::pi * frequency / rate;
        const double click = t < 0.005 ? 0.3 * noise.next() : 0.0;
        out[at + i] += static_cast<float>((0.7 * std::sin(phase) * std::exp(-t * 12.0) + click) * fadeOut(t));
    }
}

}  // namespace

StereoAudio defaultSignal(double sampleRate) {
    StereoAudio audio;
    audio.sampleRate = sampleRate;
    audio.left.assign(static_cast<std::size_t>(kDefaultSignalSeconds * sampleRate), 0.0f);
    Noise noise;
    for (const PhraseEvent& event : kPhrase) {
        const auto at = static_cast<std::size_t>(event.start * sampleRate);
        if (event.frequency > 0.0) {
            addPluck(audio.left, at, event.frequency, sampleRate, noise);
        } else {
            addHit(audio.left, at, sampleRate, noise);
        }
    }
    audio.right = audio.left;
    return audio;
}

}  // namespace plughost
