// A value in its unit as text for hosts that show unit values (CLAP parameters, and any door
// whose host speaks in units): "375 ms", "8000 Hz", "1.00 Hz", "50 %", "Sine"; and such a text,
// typed by the user, read back.
#pragma once

#include <cstdint>
#include <optional>

// The unit value shown in its own unit, held to the parameter's range; false when the text
// does not fit in size bytes.
bool unitValueText(std::int32_t index, double unitValue, char* text, std::uint32_t size);
// A typed text back to a unit value: a number with or without the unit, or a stop's name
// (case ignored). Nothing for anything else and for numbers outside the range.
std::optional<double> parseUnitValue(std::int32_t index, const char* text);
