#pragma once

#if defined(__SSE__) || defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#define VELLUMINE_HAS_MXCSR 1
#endif

// Flushes denormal results and operands to zero for its lifetime and restores the
// caller's floating-point control state afterwards. Feedback tails and ringing filters
// would otherwise decay through the denormal range at a hundred times the cost.
class DenormalGuard {
public:
#if VELLUMINE_HAS_MXCSR
    DenormalGuard() : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero); }
    ~DenormalGuard() { _mm_setcsr(saved); }

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved;
#else
    DenormalGuard() = default;
#endif

public:
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;
};
