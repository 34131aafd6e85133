// The 22 parameters as CLAP hosts see them: ids equal to the VST 2 indices, values in the
// units the LV2 edition's ports carry (percent, Hz, ms, enumeration stops), texts in those units.
#pragma once

#include <clap/ext/params.h>

#include <cstdint>
#include <optional>

namespace clapdoor {

bool isParameterId(clap_id id);
void describeParameter(std::int32_t index, clap_param_info_t& info);

// "375 ms", "8000 Hz", "1.00 Hz", "50 %", "Sine": the unit value shown in its own unit. Holds
// the parameter's range; false when the text does not fit in size bytes.
bool unitValueText(std::int32_t index, double unitValue, char* text, std::uint32_t size);
// A typed text back to a unit value: a number with or without the unit, or a stop's name
// (case ignored). Nothing for anything else and for numbers outside the range.
std::optional<double> parseUnitValue(std::int32_t index, const char* text);

}  // namespace clapdoor
