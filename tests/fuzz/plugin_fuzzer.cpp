// Drives one plug-in instance, built through the module's entry logic, with a sequence of
// host operations decoded from the input: dispatcher calls with any opcode from -1 to 80,
// parameter changes with raw float bit patterns, and process calls on blocks of any size
// from 0 to kMaxBlock with raw sample bit patterns. The editor draws into memory on the
// software backend, so that the editor opcodes can be given a safe parent window.
//
// Every buffer handed to the plug-in is a heap block of exactly its nominal size, so that
// AddressSanitizer reports the first byte written or read past it. Output samples are not
// judged: this target looks for memory faults, undefined behaviour and crashes.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/parameters.h"
#include "vst2/aeffect.h"
#include "vst2/plugin_entry.h"
#include "platform/software/software_platform.h"

namespace {

// Hosts hand text opcodes buffers of at least this size; we promise to stay inside it.
constexpr std::size_t kTextBuffer = 256;
constexpr VstInt32 kMaxBlock = 2048;
constexpr int kMaxOperations = 64;
// Keeps one input fast enough for many executions a second.
constexpr VstInt32 kMaxFramesPerInput = 1 << 15;

VstTimeInfo hostTime{};
bool hostAnswersTime = true;

VstIntPtr VSTCALL fuzzHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterGetTime: return hostAnswersTime ? reinterpret_cast<VstIntPtr>(&hostTime) : 0;
    default: return 0;
    }
}

// A text the host passes in: terminated, in a block of exactly its length.
std::vector<char> inputText(FuzzedDataProvider& data) {
    const std::string text = data.ConsumeRandomLengthString(kTextBuffer - 1);
    return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1);
}

// A buffer the plug-in writes into, filled with non-zero garbage so that a missing
// terminator shows.
std::vector<char> outputText() { return std::vector<char>(kTextBuffer, '\x7f'); }

bool terminated(const std::vector<char>& text) { return std::memchr(text.data(), '\0', text.size()) != nullptr; }

bool writesInput(VstInt32 opcode) {
    return opcode == effSetProgramName || opcode == effString2Parameter || opcode == effCanDo;
}

// Opcodes that promise a terminated text in the buffer: the program name always, the
// defined parameters' names and display texts, and the other texts when answered with 1.
// (Labels may be left unwritten, as may the texts of the inert parameters.)
bool promisesText(VstInt32 opcode, VstInt32 index, VstIntPtr answer) {
    switch (opcode) {
    case effGetProgramName: return true;
    case effGetParamDisplay:
    case effGetParamName: return index >= 0 && index < kNumDefinedParams;
    case effGetProgramNameIndexed:
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString: return answer == 1;
    default: return false;
    }
}

class Session {
public:
    explicit Session(FuzzedDataProvider& input) : data(input) {
        effect = createPlugin(fuzzHost);
        if (!effect) std::abort();
    }
    ~Session() {
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }

    void run() {
        for (int i = 0; i < kMaxOperations && data.remaining_bytes() > 0; ++i) {
            switch (data.ConsumeIntegralInRange(0, 4)) {
            case 0: dispatch(); break;
            case 1: setParameter(); break;
            case 2: effect->getParameter(effect, index()); break;
            case 3: process(false); break;
            case 4: process(true); break;
            }
        }
    }

private:
    // Arguments are decoded one statement at a time: their order must not depend on the
    // compiler's order of evaluation.
    void setParameter() {
        const VstInt32 i = index();
        effect->setParameter(effect, i, rawFloat());
    }

    // Mostly the parameter range and just past it, sometimes any 32-bit value.
    VstInt32 index() {
        if (data.ConsumeBool()) return data.ConsumeIntegral<VstInt32>();
        return data.ConsumeIntegralInRange<VstInt32>(-2, 4113);
    }

    float rawFloat() {
        const auto bits = data.ConsumeIntegral<std::uint32_t>();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    VstIntPtr value() {
        if (data.ConsumeBool()) return data.ConsumeIntegral<VstIntPtr>();
        return data.ConsumeIntegralInRange<VstIntPtr>(-2, 70);
    }

    void dispatch() {
        const auto opcode = data.ConsumeIntegralInRange<VstInt32>(-1, 80);
        const VstInt32 i = index();
        const float opt = rawFloat();
        hostAnswersTime = data.ConsumeBool();
        hostTime.flags = data.ConsumeBool() ? kVstTransportPlaying : 0;
        switch (opcode) {
        case effClose: return;  // ends the session in the destructor
        case effEditGetRect: return editGetRect(i, opt);
        case effEditOpen: {
            void* parentWindow = data.ConsumeBool() ? &parent : nullptr;
            effect->dispatcher(effect, opcode, i, value(), parentWindow, opt);
            return;
        }
        case effGetChunk: {
            void* chunk = nullptr;
            effect->dispatcher(effect, opcode, i, value(), &chunk, opt);
            return;
        }
        case effSetChunk: {
            std::vector<std::uint8_t> chunk = data.ConsumeBytes<std::uint8_t>(data.ConsumeIntegralInRange(0, 512));
            effect->dispatcher(effect, opcode, i, static_cast<VstIntPtr>(chunk.size()), chunk.data(), opt);
            return;
        }
        case effGetSpeakerArrangement: {
            VstSpeakerArrangement* input = nullptr;
            VstSpeakerArrangement* output = nullptr;
            effect->dispatcher(effect, opcode, i, reinterpret_cast<VstIntPtr>(&input), &output, opt);
            return;
        }
        case effSetSpeakerArrangement: return setSpeakerArrangement(i, opt);
        default: return dispatchWithText(opcode, i, opt);
        }
    }

    void editGetRect(VstInt32 i, float opt) {
        ERect* rect = nullptr;
        ERect** out = data.ConsumeBool() ? &rect : nullptr;
        effect->dispatcher(effect, effEditGetRect, i, value(), out, opt);
    }

    void setSpeakerArrangement(VstInt32 i, float opt) {
        const std::size_t size = speakerArrangementSize(2);
        std::vector<std::uint8_t> input = data.ConsumeBytes<std::uint8_t>(size);
        std::vector<std::uint8_t> output = data.ConsumeBytes<std::uint8_t>(size);
        input.resize(size);
        output.resize(size);
        effect->dispatcher(effect, effSetSpeakerArrangement, i, reinterpret_cast<VstIntPtr>(input.data()),
                           output.data(), opt);
    }

    // Every other opcode gets a text buffer (the records the plug-in leaves unread fit in it
    // too) or none at all.
    void dispatchWithText(VstInt32 opcode, VstInt32 i, float opt) {
        const VstIntPtr v = value();
        if (data.ConsumeBool()) {
            effect->dispatcher(effect, opcode, i, v, nullptr, opt);
            return;
        }
        std::vector<char> text = writesInput(opcode) ? inputText(data) : outputText();
        const VstIntPtr answer = effect->dispatcher(effect, opcode, i, v, text.data(), opt);
        if (promisesText(opcode, i, answer) && !terminated(text)) std::abort();
    }

    void process(bool replacing) {
        const VstInt32 frames = data.ConsumeIntegralInRange<VstInt32>(0, kMaxBlock);
        if (framesProcessed + frames > kMaxFramesPerInput) return;
        framesProcessed += frames;
        const std::size_t count = static_cast<std::size_t>(frames);
        std::vector<std::unique_ptr<float[]>> channels;
        for (int c = 0; c < 4; ++c) {
            channels.emplace_back(new float[count]);
            fillSamples(channels.back().get(), count);
        }
        float* inputs[2] = {channels[0].get(), channels[1].get()};
        // Hosts may process in place: the outputs are then the input buffers.
        float* outputs[2] = {channels[2].get(), channels[3].get()};
        if (data.ConsumeBool()) {
            outputs[0] = inputs[0];
            outputs[1] = inputs[1];
        }
        auto entry = replacing ? effect->processReplacing : effect->process;
        entry(effect, inputs, outputs, frames);
    }

    // Raw bit patterns from the input where there are bytes left, zero after them.
    void fillSamples(float* samples, std::size_t count) {
        const std::vector<std::uint8_t> bytes = data.ConsumeBytes<std::uint8_t>(count * sizeof(float));
        std::memset(samples, 0, count * sizeof(float));
        if (!bytes.empty()) std::memcpy(samples, bytes.data(), bytes.size());
    }

    FuzzedDataProvider& data;
    AEffect* effect = nullptr;
    platform::software::ParentWindow parent{};
    VstInt32 framesProcessed = 0;
};

platform::software::SoftwarePlatform& backend() {
    // Installed once, before the first plug-in is built; it lives as long as the process.
    static auto* system = [] {
        auto* installed = new platform::software::SoftwarePlatform();
        platform::installServices(installed);
        return installed;
    }();
    return *system;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    backend();
    FuzzedDataProvider data(bytes, size);
    Session(data).run();
    return 0;
}
