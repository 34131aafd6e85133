#include "core/parameter_state.h"

ParameterState::ParameterState() {
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index)
        values[static_cast<std::size_t>(index)].store(kParameters[index].initial, std::memory_order_relaxed);
}

ParameterValues ParameterState::all() const {
    ParameterValues current;
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) current[static_cast<std::size_t>(index)] = value(index);
    return current;
}

float ParameterState::asSentBack(std::int32_t index, float value) {
    return fromUnitValue(index, toUnitValue(index, normalizedValue(value)));
}
