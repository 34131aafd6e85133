// The denormal flush on the processor the tests run on (MXCSR on x86, FPCR on aarch64): on
// inside a guard, for operands and for results, and the caller's state back after it.
#include "engine/denormal_guard.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// Through volatile, so that the compiler cannot work the products out at build time.
float product(float a, float b) {
    volatile float x = a, y = b;
    return x * y;
}

struct Flushing {
    bool results, operands;
};

// Half the smallest normal number is a denormal result; a denormal operand times 1 keeps it.
Flushing flushing() {
    const float smallest = std::numeric_limits<float>::min();
    return {product(smallest, 0.5f) == 0.0f, product(smallest / 4, 1.0f) == 0.0f};
}

// The states are read before any arithmetic that could raise x86's sticky exception flags,
// which MXCSR holds beside its modes.
TEST(DenormalGuard, FlushesOperandsAndResultsAndRestoresTheCallersState) {
    const FloatControl caller = readFloatControl();
    ASSERT_EQ(caller & kFlushDenormals, 0u) << "the test runs with denormals kept";
    FloatControl inside, afterInner;
    Flushing during;
    {
        const DenormalGuard outer;
        inside = readFloatControl();
        {
            // A caller that flushes already keeps flushing after an inner guard.
            const DenormalGuard inner;
        }
        afterInner = readFloatControl();
        during = flushing();
    }
    const FloatControl after = readFloatControl();
    const Flushing outside = flushing();

    EXPECT_EQ(inside, caller | kFlushDenormals);
    EXPECT_EQ(afterInner, inside);
    EXPECT_TRUE(during.results);
    EXPECT_TRUE(during.operands);
    EXPECT_EQ(after, caller);
    EXPECT_FALSE(outside.results);
    EXPECT_FALSE(outside.operands);
}

}  // namespace
