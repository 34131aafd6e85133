#pragma once

#include <cstdint>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

// The floating-point control register that holds the denormal modes: MXCSR on x86, FPCR on
// aarch64. Flushing sets FTZ and DAZ on x86 and FZ on aarch64, which flushes denormal
// operands and results alike: the same results for the engine's arithmetic. (They differ
// only where a result rounds up to the smallest normal number: aarch64 flushes it by its
// unrounded value.)
#if defined(__SSE__)
using FloatControl = std::uint32_t;
constexpr FloatControl kFlushDenormals = 0x8040;  // FTZ (bit 15) and DAZ (bit 6)
inline FloatControl readFloatControl() { return _mm_getcsr(); }
inline void writeFloatControl(FloatControl state) { _mm_setcsr(state); }
#elif defined(__aarch64__)
using FloatControl = std::uint64_t;
constexpr FloatControl kFlushDenormals = FloatControl{1} << 24;  // FZ
inline FloatControl readFloatControl() {
    FloatControl state;
    asm volatile("mrs %0, fpcr" : "=r"(state) : : "memory");
    return state;
}
inline void writeFloatControl(FloatControl state) { asm volatile("msr fpcr, %0" : : "r"(state) : "memory"); }
#else
#error "no denormal flushing for this processor"
#endif

// Flushes denormal results and operands to zero for its lifetime and restores the
// caller's floating-point control state afterwards. Feedback tails and ringing filters
// would otherwise decay through the denormal range at a hundred times the cost.
class DenormalGuard {
public:
    DenormalGuard() : saved(readFloatControl()) { writeFloatControl(saved | kFlushDenormals); }
    ~DenormalGuard() { writeFloatControl(saved); }

    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    FloatControl saved;
};
