// Each preset is one block: its name, a line on what it does, and the normalized values it
// sets, by parameter: the origin (dry) path's, the delay's (mix into the line, time, feedback),
// the delay (wet) path's, Sync, and the delay's stereo mode, motion, freeze and ducking. Every
// parameter a preset leaves out is at its Init value: the dry sound at unity, filters open
// low-passes, LFOs off on sines at full rate, Sync off, Normal stereo, Jump, no freeze or duck.
// The scales, at 44100 Hz: mix 0.5 = unity gain (2x at 1.0); cutoff 1.0 = 8000 Hz; time
// 1.0 = 10 s, so 0.05 = 500 ms; feedback is the level of each repeat relative to the one
// before; LFO rate 1.0 = 50 Hz, so 0.01 = 0.5 Hz; Q 1.0 = no damping (rings forever, not
// used here). The delay path's filter and LFOs shape what goes into the line; the repeats
// themselves are not filtered again, so every repeat is the first one times the feedback.
#include "presets/factory_presets.h"

namespace {

// Filter types: the stops of trunc(3 v); Low, 0.0, is the Init type.
constexpr float kHigh = 1.0f / 3.0f, kBand = 2.0f / 3.0f, kNotch = 1.0f;
// LFO shapes: the stops of trunc(4 v); Sine, 0.5, is the Init shape.
constexpr float kPulse = 0.0f, kSaw = 0.25f, kSquare = 0.75f, kTriangle = 1.0f;
// Sync: the stops of trunc(21 v).
constexpr float kSyncEighthTriplet = 7.0f / 21.0f, kSyncEighth = 8.0f / 21.0f, kSyncDottedEighth = 9.0f / 21.0f,
                kSyncQuarter = 11.0f / 21.0f, kSyncHalf = 14.0f / 21.0f;
// Stereo, Motion: the stops at 0, 0.5 and 1; Normal and Jump are the Init ones.
constexpr float kCross = 0.5f, kPingPong = 1.0f, kFade = 0.5f, kTape = 1.0f;

constexpr FactoryPreset kPresets[] = {
    {"Short Slapback", "One quick bright reflection, as from a near wall: vocals, guitars",
     {{DelayMix, 0.3f}, {DelayTime, 0.009f}, {Feedback, 0.1f},         // 60 % echo at 90 ms, a faint second
      {DelayCutoff, 0.75f}}},                                          // echo low-passed at 6 kHz
    {"Rockabilly Slap", "The classic single tape slap at 120 ms, a little dark",
     {{DelayMix, 0.35f}, {DelayTime, 0.012f}, {Feedback, 0.15f},       // 70 % echo at 120 ms
      {DelayCutoff, 0.45f}, {DelayQ, 0.1f}}},                          // low-pass 3.6 kHz
    {"Gentle Doubling", "A second voice 28 ms behind, no repeats: thickens a part",
     {{DelayMix, 0.35f}, {DelayTime, 0.0028f},                         // 70 % copy at 28 ms, once
      {DelayCutoff, 0.6f}}},                                           // copy low-passed at 4.8 kHz
    {"Moving Doubler", "A doubled voice at 18 ms whose tone drifts slowly",
     {{DelayMix, 0.35f}, {DelayTime, 0.0018f},                         // copy at 18 ms
      {DelayCutoff, 0.7f}, {DelayQ, 0.2f}, {DelayFilterLfoShape, kTriangle},
      {DelayFilterLfoRate, 0.006f}, {DelayFilterLfoDepth, 0.5f}}},     // cutoff breathes at 0.3 Hz
    {"Quarter Note 120", "Echoes on every beat at 120 BPM (500 ms)",
     {{DelayMix, 0.3f}, {DelayTime, 0.05f}, {Feedback, 0.4f},          // 500 ms, each repeat at 40 %
      {DelayCutoff, 0.6f}}},
    {"Eighth Note 120", "Echoes on every eighth at 120 BPM (250 ms)",
     {{DelayMix, 0.3f}, {DelayTime, 0.025f}, {Feedback, 0.45f},        // 250 ms, repeats at 45 %
      {DelayCutoff, 0.6f}}},
    {"Dotted Eighth 120", "The dotted-eighth gallop at 120 BPM (375 ms)",
     {{DelayMix, 0.3f}, {DelayTime, 0.0375f}, {Feedback, 0.5f},        // 375 ms, repeats at 50 %
      {DelayCutoff, 0.7f}}},
    {"Sixteenth Note 120", "Fast sixteenths at 120 BPM (125 ms), a rhythmic shimmer",
     {{DelayMix, 0.25f}, {DelayTime, 0.0125f}, {Feedback, 0.55f},      // 125 ms, repeats at 55 %
      {DelayCutoff, 0.55f}}},
    {"Half Note 120", "Long echoes every two beats at 120 BPM (1 s)",
     {{DelayMix, 0.3f}, {DelayTime, 0.1f}, {Feedback, 0.35f},          // 1000 ms, repeats at 35 %
      {DelayCutoff, 0.5f}}},
    // The same echoes locked to the host's tempo; their time is the note at 120 BPM, which a
    // host that tells no tempo gets.
    {"Quarter Note Sync", "Echoes on every beat at the host's tempo",
     {{DelayMix, 0.3f}, {DelayTime, 0.05f}, {Feedback, 0.4f},          // each repeat at 40 %
      {DelayCutoff, 0.6f},
      {DelaySync, kSyncQuarter}}},
    {"Eighth Note Sync", "Echoes on every eighth at the host's tempo",
     {{DelayMix, 0.3f}, {DelayTime, 0.025f}, {Feedback, 0.45f},
      {DelayCutoff, 0.6f},
      {DelaySync, kSyncEighth}}},
    {"Dotted Eighth Sync", "The dotted-eighth gallop at the host's tempo",
     {{DelayMix, 0.3f}, {DelayTime, 0.0375f}, {Feedback, 0.5f},
      {DelayCutoff, 0.7f},
      {DelaySync, kSyncDottedEighth}}},
    {"Triplet Eighth Sync", "Eighth-note triplets at the host's tempo, a rolling shuffle",
     // The time is 1/8T at 120 BPM, 7350 samples (the nearest float to 1/60 would give 7351).
     {{DelayMix, 0.3f}, {DelayTime, 0.016666666f}, {Feedback, 0.45f},
      {DelayCutoff, 0.6f},
      {DelaySync, kSyncEighthTriplet}}},
    {"Half Note Sync", "Long echoes every two beats at the host's tempo",
     {{DelayMix, 0.3f}, {DelayTime, 0.1f}, {Feedback, 0.35f},
      {DelayCutoff, 0.5f},
      {DelaySync, kSyncHalf}}},
    {"Dub Band Echo", "Resonant band-passed repeats, dotted eighths, long decay",
     {{DelayMix, 0.15f}, {DelayTime, 0.0375f}, {Feedback, 0.65f},      // 375 ms, repeats at 65 %
      {DelayFilterType, kBand}, {DelayCutoff, 0.15f}, {DelayQ, 0.6f}}}, // band-pass 1.2 kHz, resonant
    {"Dub Low Thump", "Dark resonant quarter-note repeats around 500 Hz",
     {{DelayMix, 0.15f}, {DelayTime, 0.05f}, {Feedback, 0.6f},         // 500 ms, repeats at 60 %
      {DelayFilterType, kBand}, {DelayCutoff, 0.0625f}, {DelayQ, 0.7f}}}, // band-pass 500 Hz
    {"Dub Siren Sweep", "Band-passed echoes whose pitch falls in slow sawtooth ramps",
     {{DelayMix, 0.15f}, {DelayTime, 0.025f}, {Feedback, 0.6f},        // 250 ms, repeats at 60 %
      {DelayFilterType, kBand}, {DelayCutoff, 0.3f}, {DelayQ, 0.6f}, {DelayFilterLfoShape, kSaw},
      {DelayFilterLfoRate, 0.008f}, {DelayFilterLfoDepth, 0.8f}}},     // 2.4 kHz falling in 0.4 Hz ramps
    {"Long Ambient Wash", "Dark 1.2 s repeats that fade over many seconds",
     {{DelayMix, 0.25f}, {DelayTime, 0.12f}, {Feedback, 0.75f},        // 1.2 s, repeats at 75 %
      {DelayCutoff, 0.3f}}},                                           // low-pass 2.4 kHz
    {"Cavern", "Two-second repeats, dark and slow to die: pads, drones",
     {{OriginMix, 0.45f},                                              // dry a little lower
      {DelayMix, 0.25f}, {DelayTime, 0.2f}, {Feedback, 0.8f},          // 2 s, repeats at 80 %
      {DelayCutoff, 0.2f}}},                                           // low-pass 1.6 kHz
    {"Frozen Horizon", "Near-endless 3.3 s repeats at 88 %, very dark",
     {{OriginMix, 0.4f},
      {DelayMix, 0.2f}, {DelayTime, 0.33f}, {Feedback, 0.88f},         // 3.3 s, repeats at 88 %
      {DelayCutoff, 0.15f}}},                                          // low-pass 1.2 kHz
    {"Sweeping Repeats", "Low-passed echoes whose cutoff sweeps at 0.2 Hz",
     {{DelayMix, 0.3f}, {DelayTime, 0.03f}, {Feedback, 0.5f},          // 300 ms, repeats at 50 %
      {DelayCutoff, 0.6f}, {DelayQ, 0.3f}, {DelayFilterLfoRate, 0.004f},
      {DelayFilterLfoDepth, 0.9f}}},                                   // 4.8 kHz swept down at 0.2 Hz
    {"Wah Echo", "Band-passed echoes with a quick 2 Hz wah",
     {{DelayMix, 0.2f}, {DelayTime, 0.025f}, {Feedback, 0.45f},        // 250 ms, repeats at 45 %
      // 2 kHz band, 2 Hz sweep
      {DelayFilterType, kBand}, {DelayCutoff, 0.25f}, {DelayQ, 0.5f},
      {DelayFilterLfoShape, kTriangle}, {DelayFilterLfoRate, 0.04f}, {DelayFilterLfoDepth, 0.8f}}},
    {"Tremolo Repeats", "Echoes that throb with a 6 Hz tremolo",
     {{DelayMix, 0.3f}, {DelayTime, 0.03f}, {Feedback, 0.45f},         // 300 ms, repeats at 45 %
      {DelayCutoff, 0.7f}, {DelayVolLfoShape, kTriangle}, {DelayVolLfoRate, 0.12f},
      {DelayVolLfoDepth, 0.8f}}},                                      // 6 Hz triangle, 80 % deep
    {"Chopped Echo", "Square-wave gating chops the repeats into 8 Hz stutters",
     {{DelayMix, 0.3f}, {DelayTime, 0.025f}, {Feedback, 0.5f},         // 250 ms, repeats at 50 %
      {DelayCutoff, 0.7f}, {DelayVolLfoShape, kSquare}, {DelayVolLfoRate, 0.16f},
      {DelayVolLfoDepth, 1.0f}}},                                      // 8 Hz square, full gate
    {"Pulse Gate Echo", "Short 4 Hz pulses let only slices of the echo through",
     {{DelayMix, 0.35f}, {DelayTime, 0.0375f}, {Feedback, 0.45f},      // 375 ms, repeats at 45 %
      {DelayCutoff, 0.7f}, {DelayVolLfoShape, kPulse}, {DelayVolLfoRate, 0.08f},
      {DelayVolLfoDepth, 1.0f}}},                                      // 4 Hz pulse gate
    {"Thin Telephone Echo", "High-passed, nasal echoes that stay out of the bass",
     {{DelayMix, 0.35f}, {DelayTime, 0.02f}, {Feedback, 0.4f},         // 200 ms, repeats at 40 %
      {DelayFilterType, kHigh}, {DelayCutoff, 0.2f}, {DelayQ, 0.4f}}}, // high-pass 1.6 kHz
    {"High-Passed Eighths", "Airy high-passed echoes on eighths at 120 BPM",
     {{DelayMix, 0.3f}, {DelayTime, 0.025f}, {Feedback, 0.45f},        // 250 ms, repeats at 45 %
      {DelayFilterType, kHigh}, {DelayCutoff, 0.1f}}},                 // high-pass 800 Hz
    {"Notch Colour", "A fixed notch at 1 kHz hollows the dry sound; light echo",
     {{OriginFilterType, kNotch}, {OriginCutoff, 0.125f}, {OriginQ, 0.3f}, // notch 1 kHz
      {DelayMix, 0.2f}, {DelayTime, 0.02f}, {Feedback, 0.25f},         // 200 ms, repeats at 25 %
      {DelayCutoff, 0.6f}}},
    {"Phaser Colour", "A notch sweeping through the dry sound, phaser-like",
     {{OriginFilterType, kNotch}, {OriginCutoff, 0.25f}, {OriginQ, 0.2f},
      {OriginFilterLfoShape, kTriangle}, {OriginFilterLfoRate, 0.01f},
      {OriginFilterLfoDepth, 0.85f},                                   // 2 kHz notch, 0.5 Hz sweep
      {DelayMix, 0.15f}, {DelayTime, 0.015f}, {Feedback, 0.3f},        // 150 ms, repeats at 30 %
      {DelayCutoff, 0.6f}}},
    {"Dry Tremolo Echo", "The dry sound pulses at 5 Hz, its echoes stay steady",
     {{OriginVolLfoShape, kTriangle}, {OriginVolLfoRate, 0.1f}, {OriginVolLfoDepth, 0.6f}, // 5 Hz tremolo on the dry
      {DelayMix, 0.3f}, {DelayTime, 0.04f}, {Feedback, 0.4f},          // 400 ms, repeats at 40 %
      {DelayCutoff, 0.6f}}},
    {"Echo Only", "No dry sound: 300 ms echoes alone, for a send",
     {{OriginMix, 0.0f},                                               // dry off
      {DelayMix, 0.5f}, {DelayTime, 0.03f}, {Feedback, 0.5f},          // unity echo at 300 ms, 50 %
      {DelayCutoff, 0.8f}}},
    {"Ping-Pong Eighths", "Echoes bounce left, right, left on eighths at the host's tempo",
     {{DelayMix, 0.35f}, {DelayTime, 0.025f}, {Feedback, 0.55f},       // 70 % echo, repeats at 55 %
      {DelaySync, kSyncEighth},
      {DelayCutoff, 0.7f}, {DelayStereo, kPingPong}}},                 // low-pass 5.6 kHz
    {"Cross-Fed Slapback", "A 110 ms slap that answers from the other side",
     {{DelayMix, 0.35f}, {DelayTime, 0.011f}, {Feedback, 0.3f},        // 70 % slap, repeats at 30 %
      {DelayCutoff, 0.6f}, {DelayStereo, kCross}}},                    // each side feeds the other
    {"Tape Glide Dub", "Dark dub repeats whose pitch bends when the time is turned",
     {{DelayMix, 0.4f}, {DelayTime, 0.0375f}, {Feedback, 0.65f},       // 375 ms, repeats at 65 %
      {DelayCutoff, 0.3f}, {DelayQ, 0.3f}, {DelayMotion, kTape},       // low-pass 2.4 kHz, tape head
      {DelayFilterLfoShape, kTriangle}, {DelayFilterLfoRate, 0.004f}, {DelayFilterLfoDepth, 0.3f}}},
    {"Freeze Pad", "A 1.5 s ping-pong loop: turn Freeze on to hold it as a pad",
     {{DelayMix, 0.35f}, {DelayTime, 0.15f}, {Feedback, 0.6f},         // 1.5 s, repeats at 60 %
      {DelayCutoff, 0.5f}, {DelayStereo, kPingPong}, {DelayMotion, kFade}}}, // Freeze fades in 20 ms
    {"Ducked Vocal Echo", "Quarter-note echoes that step back while the singer sings",
     {{DelayMix, 0.35f}, {DelayTime, 0.05f}, {Feedback, 0.45f},        // 70 % echo, repeats at 45 %
      {DelaySync, kSyncQuarter},
      {DelayCutoff, 0.6f}, {DelayDuck, 0.7f}}},                        // 28 dB down under the voice
    {"Ducked Ping-Pong", "Dotted eighths bouncing side to side, ducked under the playing",
     {{DelayMix, 0.35f}, {DelayTime, 0.0375f}, {Feedback, 0.5f}, {DelaySync, kSyncDottedEighth},
      {DelayCutoff, 0.65f}, {DelayStereo, kPingPong}, {DelayDuck, 0.5f}}}, // 20 dB down
    {"Smooth Time Changes", "300 ms echoes that crossfade, never click, when the time moves",
     {{DelayMix, 0.3f}, {DelayTime, 0.03f}, {Feedback, 0.5f},          // 300 ms, repeats at 50 %
      {DelayCutoff, 0.7f}, {DelayMotion, kFade}}},                     // 50 ms fades, 20 ms ramps
};

}  // namespace

std::array<float, kNumDefinedParams> FactoryPreset::values() const {
    std::array<float, kNumDefinedParams> all;
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) all[static_cast<std::size_t>(index)] = kParameters[index].initial;
    for (const PresetValue& set : sets) {
        if (set.index < 0) break;
        all[static_cast<std::size_t>(set.index)] = set.value;
    }
    return all;
}

std::span<const FactoryPreset> factoryPresets() { return kPresets; }
