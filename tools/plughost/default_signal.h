// The signal rendered when no input file is given: a short musical phrase of plucked
// notes and a percussive hit, then silence in which the echoes can be heard.
#pragma once

#include <array>

#include "plughost/audio_file.h"

namespace plughost {

struct PhraseEvent {
    double start;      // seconds
    double frequency;  // Hz; 0 for the percussive hit
};

constexpr std::array<PhraseEvent, 5> kPhrase{{
    {0.00, 220.00},  // A3
    {0.40, 277.18},  // C#4
    {0.80, 329.63},  // E4
    {1.20, 440.00},  // A4
    {1.80, 0.0},     // the hit
}};
constexpr double kNoteSeconds = 0.35;  // every event is silent again after this long
constexpr double kDefaultSignalSeconds = 5.0;

// The same phrase in both channels, at the given rate; the same samples on every call.
StereoAudio defaultSignal(double sampleRate);

}  // namespace plughost
