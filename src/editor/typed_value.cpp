#include "editor/typed_value.h"

#include "engine/delay_effect.h"

namespace typedvalue {

namespace {

constexpr float kMixFullScale = 200.0f;  // percent: the gain runs to twice unity
constexpr float kPercentFullScale = 100.0f;
constexpr float kDelayFullScale = 10000.0f;

constexpr int kOriginLeft = 1;
constexpr int kDelayLeft = 3;

}  // namespace

float fullScale(const DelayEffect& effect, std::int32_t index) {
    switch (index) {
    case OriginMix:
    case DelayMix: return kMixFullScale;
    case DelayTime: return kDelayFullScale;
    case OriginCutoff: return effect.unit(kOriginLeft).getCutoffScale();
    case DelayCutoff: return effect.unit(kDelayLeft).getCutoffScale();
    case OriginFilterLfoRate: return effect.unit(kOriginLeft).getFilterLfo().getRateScale();
    case OriginVolLfoRate: return effect.unit(kOriginLeft).getVolumeLfo().getRateScale();
    case DelayFilterLfoRate: return effect.unit(kDelayLeft).getFilterLfo().getRateScale();
    case DelayVolLfoRate: return effect.unit(kDelayLeft).getVolumeLfo().getRateScale();
    default: return kPercentFullScale;
    }
}

std::optional<float> toNormalized(float typed, float full) {
    if (typed > full) return std::nullopt;
    const float value = typed / full;
    return value >= 0.0f ? value : 0.0f;
}

}  // namespace typedvalue
