#include "engine/wave_table.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

class WaveTableTest : public ::testing::Test {
protected:
    void SetUp() override { buildWaveTables(set); }
    float at(WaveShape shape, int i) const { return set.get(shape).data[i]; }
    WaveTableSet set;
};

TEST_F(WaveTableTest, FiveNamedTablesOf4096) {
    const char* names[] = {"Pulse", "Sawtooth", "Sine", "Square", "Triangle"};
    ASSERT_EQ(set.size(), 5);
    for (int n = 0; n < 5; ++n) {
        EXPECT_STREQ(set.get(n).name, names[n]);
        EXPECT_EQ(set.get(n).length, 4096);
    }
}

TEST_F(WaveTableTest, SamplesAtTheTurningPoints) {
    struct Sample {
        WaveShape shape;
        int index;
        float value;
    };
    const Sample cases[] = {
        {ShapePulse, 0, 1.0f},           {ShapePulse, 1023, 1.0f},         {ShapePulse, 1024, 0.0f},
        {ShapePulse, 4095, 0.0f},        {ShapeSawtooth, 0, 0.0f},         {ShapeSawtooth, 1, 1.0f / 4096},
        {ShapeSawtooth, 4095, 4095.0f / 4096}, {ShapeSine, 0, 0.0f},       {ShapeSine, 2048, 1.0f},
        {ShapeSine, 1024, 0.70710677f},  {ShapeSquare, 2047, 1.0f},        {ShapeSquare, 2048, 0.0f},
        {ShapeTriangle, 0, 0.0f},        {ShapeTriangle, 2047, 2047.0f / 2048}, {ShapeTriangle, 2048, 1.0f},
        {ShapeTriangle, 4095, 1.0f / 2048}, {ShapeTriangle, 3072, 0.5f},
    };
    for (const Sample& c : cases) EXPECT_EQ(at(c.shape, c.index), c.value) << c.shape << "[" << c.index << "]";
}

// Every sample's bits as the x86-64 build computes them, hashed per table (FNV-1a over the
// samples' 32-bit patterns): the sine comes from the C library's sin, whose last bits another
// processor or C library may round differently, and the LFOs of every build must read the
// same tables.
TEST_F(WaveTableTest, EveryTableHasTheBitsOfTheX86_64Build) {
    constexpr std::uint64_t kHashes[] = {0xa9d4b235d33b6325, 0x8a661bdfd295e325, 0x0786051c50426485,
                                         0x21e2e56eeb3b6325, 0x14dd95150a016325};
    for (int n = 0; n < set.size(); ++n) {
        std::uint64_t hash = 0xcbf29ce484222325;
        for (int i = 0; i < set.get(n).length; ++i) {
            hash ^= std::bit_cast<std::uint32_t>(set.get(n).data[i]);
            hash *= 0x100000001b3;
        }
        EXPECT_EQ(hash, kHashes[n]) << set.get(n).name;
    }
}

TEST_F(WaveTableTest, EveryValueIsUnipolar) {
    for (int n = 0; n < 5; ++n) {
        for (int i = 0; i < 4096; ++i) {
            ASSERT_GE(set.get(n).data[i], 0.0f) << n << "[" << i << "]";
            ASSERT_LE(set.get(n).data[i], 1.0f) << n << "[" << i << "]";
        }
    }
}

TEST_F(WaveTableTest, SetKeepsItsOwnCopyAndRefusesASixth) {
    WaveTable extra;
    std::strcpy(extra.name, "Extra");
    extra.length = 4;
    extra.data = std::make_unique<float[]>(4);
    set.add(extra);
    EXPECT_EQ(set.size(), 5);

    WaveTableSet fresh;
    fresh.add(extra);
    extra.data[0] = 9.0f;
    EXPECT_EQ(fresh.get(0).data[0], 0.0f);
    EXPECT_STREQ(fresh.get(0).name, "Extra");
}

}  // namespace
