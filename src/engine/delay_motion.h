// What moves smoothly in the delay path between one setting and the next: the read taps of
// a fading or gliding delay, settings ramped over a few milliseconds, and the ducking gain.
// Coefficients that need exp or pow are computed when a setting or the rate changes; per
// sample there are only additions, multiplications and compares, so that every
// architecture computes the same bits.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// How long a crossfade between two taps lasts, and how long a ramped setting moves.
inline constexpr double kFadeSeconds = 0.05;
inline constexpr double kRampSeconds = 0.02;

// e^x for the coefficients below, in plain double arithmetic, so that every architecture and
// library gives the same bits (and the plug-in asks its C library for nothing new): x is
// halved until it is below 1/64, the series summed to its 12th power, and the result squared
// back as often.
inline double exponential(double x) {
    int halvings = 0;
    while (std::fabs(x) > 1.0 / 64.0) {
        x *= 0.5;
        ++halvings;
    }
    double sum = 1.0, term = 1.0;
    for (int k = 1; k <= 12; ++k) {
        term *= x / k;
        sum += term;
    }
    for (int n = 0; n < halvings; ++n) sum *= sum;
    return sum;
}

// The coefficient of a one-pole stage with this time constant: the share of the distance to
// its goal that it moves each sample.
inline float onePole(double seconds, float sampleRate) {
    return static_cast<float>(1.0 - exponential(-1.0 / (seconds * sampleRate)));
}

inline std::int32_t samplesOf(double seconds, float sampleRate) {
    return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(seconds * sampleRate)));
}

// std::clamp for a finite value; on SSE2 as a maximum and a minimum, since compilers make
// std::clamp of doubles a compare and a branch there.
inline double clamped(double value, double low, double high) {
#if defined(__SSE2__)
    return _mm_cvtsd_f64(_mm_min_sd(_mm_max_sd(_mm_set_sd(value), _mm_set_sd(low)), _mm_set_sd(high)));
#else
    return std::clamp(value, low, high);
#endif
}

// A value that moves linearly to a target over a fixed number of samples and is the target
// exactly at the end.
class LinearRamp {
public:
    explicit LinearRamp(float initial = 0.0f) : current(initial), goal(initial) {}
    void jumpTo(float value) {
        current = goal = value;
        left = 0;
    }
    void moveTo(float value, std::int32_t samples) {
        if (value == goal) return;
        goal = value;
        left = samples;
        step = (goal - current) / static_cast<float>(samples);
    }
    bool moving() const { return left > 0; }
    float value() const { return current; }
    float next() {
        if (left > 0) current = --left == 0 ? goal : current + step;
        return current;
    }

private:
    float current, goal, step = 0.0f;
    std::int32_t left = 0;
};

// The read taps of a fading delay: the output fades linearly from what it was (one tap, or
// two at fixed weights when a change came during a fade) to the new tap. A change that comes
// while the fade already starts from two taps waits for its end, so that no tap ever drops out.
class FadeTaps {
public:
    void jumpTo(std::int32_t delay) {
        from[0] = from[1] = to = waiting = delay;
        weight = 0.0f;
        left = 0;
    }
    void change(std::int32_t delay, std::int32_t fadeSamples) {
        if (delay == waiting) return;
        waiting = delay;
        if (left == 0) {
            if (delay != to) start(to, to, 0.0f, fadeSamples);
        } else if (from[0] == from[1]) {
            start(from[0], to, progress(), fadeSamples);
        }
    }
    bool fading() const { return left > 0; }
    std::int32_t delay() const { return to; }
    std::int32_t waitingDelay() const { return waiting; }
    // The weights of the three taps from[0], from[1] and to for the next sample.
    struct Weights {
        float first, second, last;
    };
    Weights next(std::int32_t fadeSamples) {
        const float x = progress();
        const Weights w{(1.0f - x) * (1.0f - weight), (1.0f - x) * weight, x};
        skip(1, fadeSamples);
        return w;
    }
    // Moves on by `samples`, at most what is left of the fade.
    void skip(std::int32_t samples, std::int32_t fadeSamples) {
        left -= samples;
        if (left > 0) return;
        from[0] = from[1] = to;
        weight = 0.0f;
        if (waiting != to) start(to, to, 0.0f, fadeSamples);
    }
    std::int32_t first() const { return from[0]; }
    std::int32_t second() const { return from[1]; }
    // What next() computes the weights from: x = 1 - remaining() x inverseLength().
    std::int32_t remaining() const { return left; }
    float inverseLength() const { return inverse; }
    float weightOfSecond() const { return weight; }

private:
    void start(std::int32_t a, std::int32_t b, float weightOfB, std::int32_t fadeSamples) {
        from[0] = a;
        from[1] = b;
        weight = weightOfB;
        to = waiting;
        left = fadeSamples;
        inverse = 1.0f / static_cast<float>(fadeSamples);
    }
    float progress() const { return 1.0f - static_cast<float>(left) * inverse; }

    std::int32_t from[2] = {1, 1}, to = 1, waiting = 1;
    float weight = 0.0f;  // of from[1] in the mix faded from
    std::int32_t left = 0;
    float inverse = 1.0f;
};

// The read head of a gliding delay, as a tape machine's: its delay follows the target through
// two one-pole stages, so that its speed starts and stops without a step, and its speed is
// held where the pitch stays within an octave (0.51 to 1.98 times: the delay grows by at most
// 0.49 and shrinks by at most 0.98 samples per sample). A change of one second arrives within
// about 2.4 s growing and 1.4 s shrinking; a larger one glides at the limit all the way.
// Double precision, so that the last small steps of a ten-second delay still move.
class TapeHead {
public:
    static constexpr double kMaxRise = 0.49;
    static constexpr double kMaxFall = 0.98;
    static constexpr double kSeconds = 0.05;  // each stage's time constant

    void configure(float sampleRate) { coefficient = onePole(kSeconds, sampleRate); }
    void jumpTo(double delay) { current = middle = goal = delay; }
    void change(double delay) { goal = delay; }
    bool moving() const { return current != goal || middle != goal; }
    double delay() const { return current; }
    double target() const { return goal; }
    double next() {
        glide();
        if (std::fabs(goal - current) < kArrived && std::fabs(goal - middle) < kArrived) current = middle = goal;
        return current;
    }
    // next() for a sample on which the head cannot arrive (see stepsBeforeArrival); without
    // the speed limit where it cannot bind (see withinSpeedLimit).
    template <bool Limited = true>
    double glide() {
        middle += coefficient * (goal - middle);
        const double step = coefficient * (middle - current);
        current += Limited ? clamped(step, -kMaxFall, kMaxRise) : step;
        return current;
    }
    // How many calls of next() from now cannot arrive, so that glide() may take their place:
    // arrival needs both stages within kArrived of the goal. The middle stage's distance
    // shrinks by the factor (1 - c) each sample, so it stays above d (1 - k c) after k samples.
    // The head's distance shrinks no faster where the middle lies between it and the goal
    // (each step covers at most the share c of the distance to the middle), and elsewhere by at
    // most the speed limit per sample. Twice kArrived leaves room for rounding.
    std::int32_t stepsBeforeArrival() const {
        const double middleSteps = contractionSteps(std::fabs(goal - middle));
        const double headSteps = led() ? contractionSteps(std::fabs(goal - current))
                                       : (std::fabs(goal - current) - 2.0 * kArrived) / kMaxFall - 1.0;
        return static_cast<std::int32_t>(std::clamp(std::max(middleSteps, headSteps), 0.0, 1e6));
    }
    // Whether the speed limit stays out of reach until the goal changes: where the middle
    // leads, neither distance grows, and a step is at most c times their sum (with room for
    // rounding).
    bool withinSpeedLimit() const {
        return led() && coefficient * (std::fabs(goal - middle) + std::fabs(goal - current)) < 0.99 * kMaxRise;
    }

private:
    static constexpr double kArrived = 1e-3;  // samples
    // The middle stage lies between the head and the goal (or on the goal).
    bool led() const {
        const double toMiddle = goal - middle, toHead = goal - current;
        return toMiddle * toHead >= 0.0 && std::fabs(toMiddle) <= std::fabs(toHead);
    }
    double contractionSteps(double distance) const {
        return distance > 2.0 * kArrived ? (1.0 - 2.0 * kArrived / distance) / coefficient - 1.0 : 0.0;
    }
    double coefficient = 0.0, current = 1.0, middle = 1.0, goal = 1.0;
};

// The gain that turns the delay's output down while the input is loud: the input's peak
// envelope (the larger channel, instant attack, 40 ms release) sets a target that reaches the
// full depth at -30 dBFS and above; the gain follows it within 5 ms down and 60 ms up, so
// that the echoes are back within a tenth of a dB 500 ms after the playing stops.
// The full depth is -40 dB x Duck (-40 dB at 100 %, -20 dB at 50 %).
class Ducker {
public:
    void configure(float amount, float sampleRate) {
        constexpr double kLn10 = 2.302585092994046;
        depth = 1.0f - static_cast<float>(exponential(-2.0 * kLn10 * static_cast<double>(amount)));
        envelopeRelease = 1.0f - onePole(0.04, sampleRate);
        attack = onePole(0.005, sampleRate);
        release = onePole(0.06, sampleRate);
    }
    bool active() const { return depth > 0.0f; }
    void reset() {
        envelope = 0.0f;
        gain = 1.0f;
    }
    float next(float left, float right) {
        envelope = std::max(std::max(std::fabs(left), std::fabs(right)), envelope * envelopeRelease);
        const float target = 1.0f - depth * std::min(1.0f, envelope * kKneeReciprocal);
        gain += (target < gain ? attack : release) * (target - gain);
        return gain;
    }

private:
    static constexpr float kKneeReciprocal = 31.622776f;  // 1 / -30 dBFS
    float depth = 0.0f, envelopeRelease = 0.0f, attack = 0.0f, release = 0.0f;
    float envelope = 0.0f, gain = 1.0f;
};
