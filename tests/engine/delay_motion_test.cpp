#include "engine/delay_motion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace {

// The loops that glide the tape head leave out its arrival test for as many samples as
// stepsBeforeArrival() promises, and its speed limit where withinSpeedLimit() says it cannot
// bind: over those samples, next() must give what glide() gives, and the head must not
// arrive. Glides long and short, growing and shrinking, one turned round midway
// (the middle stage then leads the other way), at the lowest and highest rates.
TEST(TapeHead, DoesNotArriveWithinTheStepsItPromises) {
    struct Glide {
        float rate;
        double from, to, turnedTo;  // turnedTo: the new target a third of the way
    };
    const Glide glides[] = {
        {8000.0f, 2.0, 60000.0, 60000.0},      {44100.0f, 16537.0, 13230.0, 13230.0},
        {44100.0f, 13230.0, 16537.0, 12000.0}, {44100.0f, 100.0, 100.01, 100.01},
        {44100.0f, 500.0, 499.99, 499.99},   {384000.0f, 3840000.0, 2.0, 1000.0},
        {384000.0f, 1000.0, 1001.0, 999.0},
    };
    for (const Glide& g : glides) {
        SCOPED_TRACE(testing::Message() << g.rate << " Hz, " << g.from << " -> " << g.to << " -> " << g.turnedTo);
        TapeHead head;
        head.configure(g.rate);
        head.jumpTo(g.from);
        head.change(g.to);
        // Often enough to look at the last samples before arrival, seldom enough to stay quick.
        const std::int32_t every = std::max(61, static_cast<std::int32_t>(g.rate) / 400);
        std::int64_t checked = 0, unlimitedChecks = 0;
        for (std::int32_t n = 0; head.moving() && n < 20 * static_cast<std::int32_t>(g.rate); ++n) {
            if (n == static_cast<std::int32_t>(g.rate) / 3) head.change(g.turnedTo);
            if (n % every == 0) {
                TapeHead tested = head, glided = head, free = head;
                const std::int32_t steps = tested.stepsBeforeArrival();
                const bool unlimited = tested.withinSpeedLimit();
                for (std::int32_t k = 0; k < steps; ++k) {
                    const double expected = tested.next();
                    ASSERT_EQ(expected, glided.glide()) << "sample " << n << ", step " << k << " of " << steps;
                    if (unlimited) {
                        ASSERT_EQ(expected, free.glide<false>()) << "sample " << n << ", step " << k;
                    }
                    ASSERT_TRUE(tested.moving()) << "arrived at sample " << n << " + " << k << " of " << steps;
                }
                checked += steps;
                unlimitedChecks += unlimited;
            }
            head.next();
        }
        EXPECT_FALSE(head.moving()) << "the glide never ended";
        EXPECT_GT(checked, 0) << "no promise was ever made";
        EXPECT_GT(unlimitedChecks, 0) << "the speed limit was never left out";
    }
}

}  // namespace
