// The plug-in driven from five threads at once, as hosts do: processing on one, automation
// from two (colliding on the same few parameters), program changes, transport idles and text
// queries from a fourth, the editor opening, idling and closing on a fifth. Each round runs
// them for a fixed time, stops them all, and then checks that the engine plays exactly what
// the current program holds. Built with ThreadSanitizer (scripts/test-tsan.sh) it also
// proves that nothing is shared without synchronisation.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "vst2/delay_effect.h"
#include "core/parameters.h"
#include "vst2/plugin_entry.h"
#include "platform/software/software_platform.h"

namespace {

constexpr int kRounds = 10;
constexpr auto kRoundTime = std::chrono::milliseconds(60);
constexpr VstInt32 kPrograms = 4;  // few programs, so that switches keep meeting the automation
// The automation threads send value k / kSteps: thread 0 even k, thread 1 odd k.
constexpr int kSteps = 1024;

// Thread-safe on its own: answers the version and a transport the program thread plays with,
// each calling thread reading it into a record of its own, as a host fills one per caller.
std::atomic<VstInt32> transportFlags{0};
VstIntPtr VSTCALL quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode != audioMasterGetTime) return 0;
    thread_local VstTimeInfo time{};
    time.tempo = 120.0;
    time.flags = transportFlags.load() | kVstTempoValid;
    return reinterpret_cast<VstIntPtr>(&time);
}

// Indices 2, 3, 5 and 11 colour all four kinds of setting: a unit's coefficient and damping,
// an LFO's rate (which restarts its phase) and the delay length. Both automation threads use
// them, so the same index is often set from two threads at once.
constexpr VstInt32 kContended[] = {OriginCutoff, OriginQ, OriginFilterLfoRate, DelayTime};

class ConcurrencyTest : public ::testing::Test {
protected:
    ConcurrencyTest() : previous(platform::installServices(&system)) {
        effect = createPlugin(quietHost);
        engine = static_cast<DelayEffect*>(EffectBase::fromRecord(effect));
    }
    ~ConcurrencyTest() override {
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        platform::installServices(previous);
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }

    void runRound(unsigned seed);
    void expectEngineFollowsTheCurrentProgram(int round);

    platform::software::SoftwarePlatform system;
    platform::Services* previous;
    platform::software::ParentWindow parent{{100, 100}};
    AEffect* effect = nullptr;
    DelayEffect* engine = nullptr;
    long nonFinite = 0;
    long blocks = 0;
};

void ConcurrencyTest::runRound(unsigned seed) {
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;

    threads.emplace_back([&] {  // audio
        std::mt19937 random(seed);
        std::vector<float> inL(2048), inR(2048), outL(2048), outR(2048);
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        for (float& x : inL) x = noise(random);
        for (float& x : inR) x = noise(random);
        while (!stop.load()) {
            const auto frames = static_cast<VstInt32>(1 + random() % 2048);
            float* ins[2] = {inL.data(), inR.data()};
            float* outs[2] = {outL.data(), outR.data()};
            effect->processReplacing(effect, ins, outs, frames);
            for (VstInt32 n = 0; n < frames; ++n) nonFinite += !std::isfinite(outL[n]) + !std::isfinite(outR[n]);
            ++blocks;
        }
    });
    for (int parity = 0; parity < 2; ++parity) {  // automation
        threads.emplace_back([&, parity] {
            std::mt19937 random(seed * 3 + static_cast<unsigned>(parity));
            while (!stop.load()) {
                const bool contended = random() % 4 != 0;
                const auto index = contended ? kContended[random() % 4] : static_cast<VstInt32>(random() % 23);
                const auto k = static_cast<int>(random() % (kSteps / 2)) * 2 + parity;
                effect->setParameter(effect, index, static_cast<float>(k) / kSteps);
            }
        });
    }
    threads.emplace_back([&] {  // programs, transport and texts
        std::mt19937 random(seed * 7);
        char text[256];
        while (!stop.load()) {
            dispatch(effSetProgram, 0, static_cast<VstIntPtr>(random() % kPrograms));
            transportFlags = random() % 2 ? kVstTransportPlaying : 0;
            dispatch(effIdle);
            const auto index = static_cast<VstInt32>(random() % kNumDefinedParams);
            dispatch(effGetParamDisplay, index, 0, text);
            dispatch(effGetParamName, index, 0, text);
            dispatch(effGetProgramName, 0, 0, text);
            dispatch(effGetProgramNameIndexed, static_cast<VstInt32>(random() % kPrograms), 0, text);
            dispatch(effGetProgram);
        }
    });
    threads.emplace_back([&] {  // the editor's window thread
        while (!stop.load()) {
            dispatch(effEditOpen, 0, 0, &parent);
            dispatch(effEditIdle);
            dispatch(effEditClose);
        }
    });

    std::this_thread::sleep_for(kRoundTime);
    stop = true;
    for (std::thread& t : threads) t.join();
}

// A single-threaded twin given the current program's values must hold the same settings.
void ConcurrencyTest::expectEngineFollowsTheCurrentProgram(int round) {
    DelayEffect twin(nullptr);
    for (VstInt32 i = 0; i < kNumDefinedParams; ++i) twin.setParameter(i, effect->getParameter(effect, i));
    for (int u = 1; u <= 4; ++u) {
        const FilterUnit& a = engine->unit(u);
        const FilterUnit& b = twin.unit(u);
        EXPECT_EQ(a.getFrequency(), b.getFrequency()) << "round " << round << " unit " << u;
        EXPECT_EQ(a.getDamping(), b.getDamping()) << "round " << round << " unit " << u;
        EXPECT_EQ(a.getOutputGain(), b.getOutputGain()) << "round " << round << " unit " << u;
        EXPECT_EQ(a.getMode(), b.getMode()) << "round " << round << " unit " << u;
        const std::pair<const Lfo*, const Lfo*> lfos[] = {{&a.getFilterLfo(), &b.getFilterLfo()},
                                                          {&a.getVolumeLfo(), &b.getVolumeLfo()}};
        for (auto [played, expected] : lfos) {
            EXPECT_EQ(played->getShape(), expected->getShape()) << "round " << round << " unit " << u;
            EXPECT_EQ(played->getRate(), expected->getRate()) << "round " << round << " unit " << u;
            EXPECT_EQ(played->getPhaseIncrement(), expected->getPhaseIncrement()) << "round " << round << " unit " << u;
            EXPECT_EQ(played->getDepth(), expected->getDepth()) << "round " << round << " unit " << u;
        }
    }
    EXPECT_EQ(engine->getDelayLength(), twin.getDelayLength()) << "round " << round;
    EXPECT_EQ(engine->getFeedback(), twin.getFeedback()) << "round " << round;
}

TEST_F(ConcurrencyTest, EngineAlwaysEndsAsTheCurrentProgramSays) {
    for (int round = 0; round < kRounds; ++round) {
        runRound(static_cast<unsigned>(round) + 1);
        expectEngineFollowsTheCurrentProgram(round);
        // What each program holds is what its own switch applies: select it and compare again.
        const auto other = static_cast<VstIntPtr>((dispatch(effGetProgram) + 1) % kPrograms);
        dispatch(effSetProgram, 0, other);
        expectEngineFollowsTheCurrentProgram(round);
    }
    EXPECT_GT(blocks, kRounds);
    EXPECT_EQ(nonFinite, 0);
}

}  // namespace
