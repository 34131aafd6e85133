#include "engine/applied_values.h"

void AppliedValues::start(DelayEngine& engine, const ParameterState& state) {
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) {
        applied[static_cast<std::size_t>(index)] = kParameters[index].initial;
        engine.applyParameter(index, kParameters[index].initial);
    }
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) apply(engine, index, state.value(index));
}
