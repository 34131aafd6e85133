// The value boxes' way from typed text to a parameter value, as the editor takes it when a
// number is confirmed: the number parser, the parameter's typed full scale, the conversion to
// a normalized value, and the value set in the effect and shown again.
//
// Input: one byte choosing the parameter (0 to 21), then the text as typed, at most the
// box's 255 characters, given to the parser in a block of exactly its length plus the
// terminator.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "core/parameters.h"
#include "vst2/delay_effect.h"

namespace {

constexpr std::size_t kMaxTypedLength = 255;
constexpr std::size_t kDisplayBuffer = 256;

DelayEffect& effect() {
    // One effect for every input: each input sets one parameter and puts it back.
    static DelayEffect* shared = new DelayEffect(nullptr);
    return *shared;
}

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const auto index = data.ConsumeIntegralInRange<VstInt32>(0, kNumDefinedParams - 1);
    const std::string typed = data.ConsumeBytesAsString(std::min(kMaxTypedLength, data.remaining_bytes()));
    const std::vector<char> text(typed.c_str(), typed.c_str() + typed.size() + 1);

    DelayEffect& target = effect();
    const float number = numbertext::parseNumber(text.data());
    const float full = typedFullScale(index);
    check(full > 0.0f && full < 1e6f);
    const std::optional<float> value = typedToNormalized(index, number);
    // A number is refused only when it lies above full scale or names an enumeration stop;
    // an accepted one is a normalized value, never NaN.
    check(value.has_value() || number > full || kParameters[index].unit == Unit::Enumeration);
    if (value) check(*value >= 0.0f && *value <= 1.0f);

    const float before = target.getParameter(index);
    target.setParameter(index, value ? *value : before);
    std::vector<char> shown(kDisplayBuffer, '\x7f');
    target.getParameterDisplay(index, shown.data());
    check(std::memchr(shown.data(), '\0', shown.size()) != nullptr);
    target.setParameter(index, before);
    return 0;
}
