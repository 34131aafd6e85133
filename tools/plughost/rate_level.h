// The level check of the sample-rate checks: the built-in phrase through a fresh instance at
// each rate, against the same phrase at 44.1 kHz. A plug-in whose output at a rate far from
// the usual is much louder than there (a filter coefficient beyond its stable range, a gain
// computed for one rate) is a finding, whatever the format.
#pragma once

#include <functional>
#include <string>

namespace plughost {

// Enough above the 44.1 kHz level for any sound design to differ between rates (a resonance
// meeting the phrase's partials at one rate and not another), far below an unstable filter
// held at a ceiling.
constexpr double kRateLevelMarginDb = 12.0;

// The rates measured against 44.1 kHz: those projects run at, and the edges.
constexpr double kLevelRates[] = {8000.0,  11025.0, 16000.0, 22050.0,  24000.0,  32000.0, 37800.0,
                                  48000.0, 88200.0, 96000.0, 176400.0, 192000.0, 384000.0};

// One processing call of `frames` frames: every input channel reads `input`, each output
// channel is written.
using PhraseBlock = std::function<void(const float* input, int frames)>;

// The built-in phrase at `rate` in blocks of `block` frames; answers the phrase's own peak.
float playPhrase(double rate, int block, const PhraseBlock& process);

// The loudest sample of `frames` samples, infinity when one is not finite.
float peakOf(const float* samples, int frames);

// Empty when the output peak at `rate` stays within the margin above the larger of the
// 44.1 kHz output's peak and the input's peak; otherwise the finding.
std::string rateLevelFinding(double rate, float peak, float referencePeak, float inputPeak);

}  // namespace plughost
