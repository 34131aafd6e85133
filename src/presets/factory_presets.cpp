// Each preset is one block: its name, a line on what it does, and the normalized values in
// parameter order, four rows of them and a fifth for the synced ones:
//   origin (dry) path:  mix, filter type, cutoff, Q,
//                       filter LFO shape, rate, depth,  volume LFO shape, rate, depth
//   delay:              mix into the line, time, feedback
//   delay (wet) path:   filter type, cutoff, Q,
//                       filter LFO shape, rate, depth,  volume LFO shape, rate, depth
//   sync:               the note value of the time at the host's tempo (Off when left out)
// The scales, at 44100 Hz: mix 0.5 = unity gain (2x at 1.0); cutoff 1.0 = 8000 Hz; time
// 1.0 = 10 s, so 0.05 = 500 ms; feedback is the level of each repeat relative to the one
// before; LFO rate 1.0 = 50 Hz, so 0.01 = 0.5 Hz; Q 1.0 = no damping (rings forever, not
// used here). The delay path's filter and LFOs shape what goes into the line; the repeats
// themselves are not filtered again, so every repeat is the first one times the feedback.
#include "presets/factory_presets.h"

namespace {

// Filter types: the stops of trunc(3 v).
constexpr float kLow = 0.0f, kHigh = 1.0f / 3.0f, kBand = 2.0f / 3.0f, kNotch = 1.0f;
// LFO shapes: the stops of trunc(4 v).
constexpr float kPulse = 0.0f, kSaw = 0.25f, kSine = 0.5f, kSquare = 0.75f, kTriangle = 1.0f;
// Sync: the stops of trunc(21 v).
constexpr float kSyncEighthTriplet = 7.0f / 21.0f, kSyncEighth = 8.0f / 21.0f, kSyncDottedEighth = 9.0f / 21.0f,
                kSyncQuarter = 11.0f / 21.0f, kSyncHalf = 14.0f / 21.0f;

constexpr FactoryPreset kPresets[] = {
    {"Short Slapback", "One quick bright reflection, as from a near wall: vocals, guitars",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,  // dry at unity
      0.3f, 0.009f, 0.1f,                                           // 60 % echo at 90 ms, a faint second
      kLow, 0.75f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},    // echo low-passed at 6 kHz
    {"Rockabilly Slap", "The classic single tape slap at 120 ms, a little dark",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.35f, 0.012f, 0.15f,                                          // 70 % echo at 120 ms
      kLow, 0.45f, 0.1f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},     // low-pass 3.6 kHz
    {"Gentle Doubling", "A second voice 28 ms behind, no repeats: thickens a part",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.35f, 0.0028f, 0.0f,                                          // 70 % copy at 28 ms, once
      kLow, 0.6f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},      // copy low-passed at 4.8 kHz
    {"Moving Doubler", "A doubled voice at 18 ms whose tone drifts slowly",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.35f, 0.0018f, 0.0f,                                          // copy at 18 ms
      kLow, 0.7f, 0.2f, kTriangle, 0.006f, 0.5f, kSine, 1.0f, 0.0f}},  // cutoff breathes at 0.3 Hz
    {"Quarter Note 120", "Echoes on every beat at 120 BPM (500 ms)",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.3f, 0.05f, 0.4f,                                             // 500 ms, each repeat at 40 %
      kLow, 0.6f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},
    {"Eighth Note 120", "Echoes on every eighth at 120 BPM (250 ms)",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.3f, 0.025f, 0.45f,                                           // 250 ms, repeats at 45 %
      kLow, 0.6f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},
    {"Dotted Eighth 120", "The dotted-eighth gallop at 120 BPM (375 ms)",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.3f, 0.0375f, 0.5f,                                           // 375 ms, repeats at 50 %
      kLow, 0.7f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},
    {"Sixteenth Note 120", "Fast sixteenths at 120 BPM (125 ms), a rhythmic shimmer",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.25f, 0.0125f, 0.55f,                                         // 125 ms, repeats at 55 %
      kLow, 0.55f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},
    {"Half Note 120", "Long echoes every two beats at 120 BPM (1 s)",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.3f, 0.1f, 0.35f,                                             // 1000 ms, repeats at 35 %
      kLow, 0.5f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},
    // The same echoes locked to the host's tempo; their time is the note at 120 BPM, which a
    // host that tells no tempo gets.
    {"Quarter Note Sync", "Echoes on every beat at the host's tempo",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.3f, 0.05f, 0.4f,                                             // each repeat at 40 %
      kLow, 0.6f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      kSyncQuarter}},
    {"Eighth Note Sync", "Echoes on every eighth at the host's tempo",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.3f, 0.025f, 0.45f,
      kLow, 0.6f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      kSyncEighth}},
    {"Dotted Eighth Sync", "The dotted-eighth gallop at the host's tempo",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.3f, 0.0375f, 0.5f,
      kLow, 0.7f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      kSyncDottedEighth}},
    {"Triplet Eighth Sync", "Eighth-note triplets at the host's tempo, a rolling shuffle",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.3f, 0.016666666f, 0.45f,  // 1/8T at 120 BPM: 7350 samples (the float above would give 7351)
      kLow, 0.6f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      kSyncEighthTriplet}},
    {"Half Note Sync", "Long echoes every two beats at the host's tempo",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.3f, 0.1f, 0.35f,
      kLow, 0.5f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      kSyncHalf}},
    {"Dub Band Echo", "Resonant band-passed repeats, dotted eighths, long decay",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.15f, 0.0375f, 0.65f,                                         // 375 ms, repeats at 65 %
      kBand, 0.15f, 0.6f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},    // band-pass 1.2 kHz, resonant
    {"Dub Low Thump", "Dark resonant quarter-note repeats around 500 Hz",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.15f, 0.05f, 0.6f,                                            // 500 ms, repeats at 60 %
      kBand, 0.0625f, 0.7f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},  // band-pass 500 Hz
    {"Dub Siren Sweep", "Band-passed echoes whose pitch falls in slow sawtooth ramps",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.15f, 0.025f, 0.6f,                                           // 250 ms, repeats at 60 %
      kBand, 0.3f, 0.6f, kSaw, 0.008f, 0.8f, kSine, 1.0f, 0.0f}},   // 2.4 kHz falling in 0.4 Hz ramps
    {"Long Ambient Wash", "Dark 1.2 s repeats that fade over many seconds",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.25f, 0.12f, 0.75f,                                           // 1.2 s, repeats at 75 %
      kLow, 0.3f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},      // low-pass 2.4 kHz
    {"Cavern", "Two-second repeats, dark and slow to die: pads, drones",
     {0.45f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,  // dry a little lower
      0.25f, 0.2f, 0.8f,                                             // 2 s, repeats at 80 %
      kLow, 0.2f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},      // low-pass 1.6 kHz
    {"Frozen Horizon", "Near-endless 3.3 s repeats at 88 %, very dark",
     {0.4f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.2f, 0.33f, 0.88f,                                            // 3.3 s, repeats at 88 %
      kLow, 0.15f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},     // low-pass 1.2 kHz
    {"Sweeping Repeats", "Low-passed echoes whose cutoff sweeps at 0.2 Hz",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.3f, 0.03f, 0.5f,                                             // 300 ms, repeats at 50 %
      kLow, 0.6f, 0.3f, kSine, 0.004f, 0.9f, kSine, 1.0f, 0.0f}},    // 4.8 kHz swept down at 0.2 Hz
    {"Wah Echo", "Band-passed echoes with a quick 2 Hz wah",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.2f, 0.025f, 0.45f,                                           // 250 ms, repeats at 45 %
      kBand, 0.25f, 0.5f, kTriangle, 0.04f, 0.8f, kSine, 1.0f, 0.0f}},  // 2 kHz band, 2 Hz sweep
    {"Tremolo Repeats", "Echoes that throb with a 6 Hz tremolo",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.3f, 0.03f, 0.45f,                                            // 300 ms, repeats at 45 %
      kLow, 0.7f, 0.0f, kSine, 1.0f, 0.0f, kTriangle, 0.12f, 0.8f}},  // 6 Hz triangle, 80 % deep
    {"Chopped Echo", "Square-wave gating chops the repeats into 8 Hz stutters",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.3f, 0.025f, 0.5f,                                            // 250 ms, repeats at 50 %
      kLow, 0.7f, 0.0f, kSine, 1.0f, 0.0f, kSquare, 0.16f, 1.0f}},   // 8 Hz square, full gate
    {"Pulse Gate Echo", "Short 4 Hz pulses let only slices of the echo through",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.35f, 0.0375f, 0.45f,                                         // 375 ms, repeats at 45 %
      kLow, 0.7f, 0.0f, kSine, 1.0f, 0.0f, kPulse, 0.08f, 1.0f}},    // 4 Hz pulse gate
    {"Thin Telephone Echo", "High-passed, nasal echoes that stay out of the bass",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.35f, 0.02f, 0.4f,                                            // 200 ms, repeats at 40 %
      kHigh, 0.2f, 0.4f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},     // high-pass 1.6 kHz
    {"High-Passed Eighths", "Airy high-passed echoes on eighths at 120 BPM",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,
      0.3f, 0.025f, 0.45f,                                           // 250 ms, repeats at 45 %
      kHigh, 0.1f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},     // high-pass 800 Hz
    {"Notch Colour", "A fixed notch at 1 kHz hollows the dry sound; light echo",
     {0.5f, kNotch, 0.125f, 0.3f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,  // notch 1 kHz
      0.2f, 0.02f, 0.25f,                                            // 200 ms, repeats at 25 %
      kLow, 0.6f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},
    {"Phaser Colour", "A notch sweeping through the dry sound, phaser-like",
     {0.5f, kNotch, 0.25f, 0.2f, kTriangle, 0.01f, 0.85f, kSine, 1.0f, 0.0f,  // 2 kHz notch, 0.5 Hz sweep
      0.15f, 0.015f, 0.3f,                                           // 150 ms, repeats at 30 %
      kLow, 0.6f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},
    {"Dry Tremolo Echo", "The dry sound pulses at 5 Hz, its echoes stay steady",
     {0.5f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kTriangle, 0.1f, 0.6f,  // 5 Hz tremolo on the dry
      0.3f, 0.04f, 0.4f,                                             // 400 ms, repeats at 40 %
      kLow, 0.6f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},
    {"Echo Only", "No dry sound: 300 ms echoes alone, for a send",
     {0.0f, kLow, 1.0f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f,  // dry off
      0.5f, 0.03f, 0.5f,                                             // unity echo at 300 ms, 50 %
      kLow, 0.8f, 0.0f, kSine, 1.0f, 0.0f, kSine, 1.0f, 0.0f}},
};

}  // namespace

std::span<const FactoryPreset> factoryPresets() { return kPresets; }
