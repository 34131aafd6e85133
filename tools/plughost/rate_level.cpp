#include "plughost/rate_level.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "plughost/default_signal.h"

namespace plughost {
namespace {

std::string decibels(float level) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.1f dBFS", 20.0 * std::log10(std::max(static_cast<double>(level), 1e-30)));
    return text;
}

}  // namespace

float playPhrase(double rate, int block, const PhraseBlock& process) {
    const StereoAudio phrase = defaultSignal(rate);
    const int frames = static_cast<int>(phrase.frames());
    for (int done = 0; done < frames; done += block) process(phrase.left.data() + done, std::min(block, frames - done));
    return peakOf(phrase.left.data(), frames);
}

float peakOf(const float* samples, int frames) {
    float peak = 0.0f;
    for (int i = 0; i < frames; ++i) {
        if (!std::isfinite(samples[i])) return std::numeric_limits<float>::infinity();
        peak = std::max(peak, std::fabs(samples[i]));
    }
    return peak;
}

std::string rateLevelFinding(double rate, float peak, float referencePeak, float inputPeak) {
    const double bound = std::max(referencePeak, inputPeak) * std::pow(10.0, kRateLevelMarginDb / 20.0);
    if (peak <= bound) return {};
    const std::string at = "at " + std::to_string(static_cast<int>(rate)) + " Hz the built-in phrase";
    if (std::isinf(peak)) return at + " comes out not finite";
    return at + " peaks at " + decibels(peak) + ", more than " + std::to_string(static_cast<int>(kRateLevelMarginDb)) +
           " dB above " + decibels(std::max(referencePeak, inputPeak)) + " (its peak at 44.1 kHz, or the input's)";
}

}  // namespace plughost
