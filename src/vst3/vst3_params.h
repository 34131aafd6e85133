// The parameters as VST 3 hosts see them: the table's with ids equal to their VST 2 indices,
// normalized (an enumeration's stop picked by the table's rule, so that a value means the same
// here as in every other door), texts in the units the CLAP edition shows; then a bypass and a
// program change, whose ids lie outside the table's. The units: the two signal paths under the
// root, which carries the factory presets as its program list.
#pragma once

#include <travesty/edit_controller.h>
#include <travesty/unit.h>

#include <cstdint>
#include <optional>
#include <span>

#include "core/parameters.h"

namespace vst3door {

// Never change: hosts keep them in projects and automation.
constexpr v3_param_id kBypassId = 1000;
constexpr v3_param_id kProgramId = 1001;
constexpr std::int32_t kParameterCount = kNumDefinedParams + 2;

constexpr std::int32_t kRootUnit = 0;
constexpr std::int32_t kFactoryProgramList = 1;
constexpr std::int32_t kUnitCount = 3;  // the root, then Origin and Delay

inline bool isTableId(v3_param_id id) { return id < static_cast<v3_param_id>(kNumDefinedParams); }
// The id of the parameter at a listing position (0 to kParameterCount - 1).
v3_param_id idAt(std::int32_t position);
bool describeParameter(std::int32_t position, v3_param_info& info);
bool describeUnit(std::int32_t index, v3_unit_info& info);
bool describeProgramList(std::int32_t index, v3_program_list_info& info);
bool programName(std::int32_t list, std::int32_t program, v3_str_128 name);

std::int32_t programCount();
// The program a normalized value of the program change selects.
std::int32_t programOf(double normalized);
bool isBypassed(double normalized);

// Texts of a normalized value and back; syncedMilliseconds is what the Rate shows while Sync
// is on.
bool valueText(v3_param_id id, double normalized, std::optional<float> syncedMilliseconds, v3_str_128 text);
std::optional<double> parseText(v3_param_id id, const std::int16_t* text);
// Plain values are the unit values of the CLAP edition: percent, Hz, ms; for enumerations,
// the bypass and the program change, the stop.
double toPlain(v3_param_id id, double normalized);
double fromPlain(v3_param_id id, double plain);

}  // namespace vst3door
