#include "core/parameter_set.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::int32_t> members(const ParameterSet& set) {
    std::vector<std::int32_t> indices;
    set.forEach([&](std::int32_t index) { indices.push_back(index); });
    return indices;
}

// Every parameter of the table has its place, the last included; indices outside are ignored,
// and a shared set hands over all its marks once.
TEST(ParameterSet, HoldsEveryParameterOfTheTableAndHandsMarksOverOnce) {
    constexpr std::int32_t kLast = kNumDefinedParams - 1;
    ParameterSet set;
    for (std::int32_t index : {kLast, 0, 11, -1, kNumDefinedParams}) set.add(index);
    EXPECT_EQ(members(set), (std::vector<std::int32_t>{0, 11, kLast}));
    EXPECT_TRUE(set.contains(kLast));
    EXPECT_FALSE(set.contains(kNumDefinedParams));
    EXPECT_EQ(members(ParameterSet::all()).size(), static_cast<std::size_t>(kNumDefinedParams));

    SharedParameterSet shared;
    shared.add(set);
    shared.add(5);
    EXPECT_EQ(members(shared.take()), (std::vector<std::int32_t>{0, 5, 11, kLast}));
    EXPECT_TRUE(shared.take().empty());
}

}  // namespace
