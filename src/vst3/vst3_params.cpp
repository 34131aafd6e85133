#include "vst3/vst3_params.h"

#include <cmath>
#include <cstring>
#include <string>

#include "core/unit_text.h"
#include "presets/factory_presets.h"
#include "vst3/vst3_text.h"

namespace vst3door {
namespace {

constexpr const char* kBypassTexts[] = {"Off", "On"};

std::int32_t indexOf(v3_param_id id) { return static_cast<std::int32_t>(id); }

double clampedUnit(double value) { return value > 0.0 ? (value < 1.0 ? value : 1.0) : 0.0; }

std::int32_t unitOf(ParameterGroup group) { return group == ParameterGroup::Origin ? 1 : 2; }

void describeTableParameter(std::int32_t index, v3_param_info& info) {
    const ParameterInfo& parameter = kParameters[index];
    info.param_id = static_cast<v3_param_id>(index);
    toUtf16(parameter.longName, info.title, 128);
    toUtf16(parameter.name, info.short_title, 128);
    info.step_count = parameter.unit == Unit::Enumeration ? static_cast<std::int32_t>(parameter.stops.size() - 1) : 0;
    info.default_normalised_value = parameter.initial;
    info.unit_id = unitOf(parameter.group);
    info.flags = V3_PARAM_CAN_AUTOMATE | (parameter.unit == Unit::Enumeration ? V3_PARAM_IS_LIST : 0);
}

void describeBypass(v3_param_info& info) {
    info.param_id = kBypassId;
    toUtf16("Bypass", info.title, 128);
    toUtf16("Bypass", info.short_title, 128);
    info.step_count = 1;
    info.default_normalised_value = 0.0;
    info.unit_id = kRootUnit;
    info.flags = V3_PARAM_CAN_AUTOMATE | V3_PARAM_IS_BYPASS;
}

// Hosts list the factory programs through this parameter and the root unit's program list.
void describeProgramChange(v3_param_info& info) {
    info.param_id = kProgramId;
    toUtf16("Program", info.title, 128);
    toUtf16("Program", info.short_title, 128);
    info.step_count = programCount() - 1;
    info.default_normalised_value = 0.0;
    info.unit_id = kRootUnit;
    info.flags = V3_PARAM_CAN_AUTOMATE | V3_PARAM_IS_LIST | V3_PARAM_PROGRAM_CHANGE;
}

// The stop of a stepped value that is not the table's: the nearest, as hosts send k / steps.
std::int32_t nearestStop(double normalized, std::int32_t steps) {
    return static_cast<std::int32_t>(std::lround(clampedUnit(normalized) * steps));
}

}  // namespace

v3_param_id idAt(std::int32_t position) {
    if (position < kNumDefinedParams) return static_cast<v3_param_id>(position);
    return position == kNumDefinedParams ? kBypassId : kProgramId;
}

bool describeParameter(std::int32_t position, v3_param_info& info) {
    if (position < 0 || position >= kParameterCount) return false;
    info = {};
    if (position < kNumDefinedParams)
        describeTableParameter(position, info);
    else if (idAt(position) == kBypassId)
        describeBypass(info);
    else
        describeProgramChange(info);
    return true;
}

bool describeUnit(std::int32_t index, v3_unit_info& info) {
    if (index < 0 || index >= kUnitCount) return false;
    info = {};
    info.id = index;
    info.parent_unit_id = index == kRootUnit ? -1 : kRootUnit;
    info.program_list_id = index == kRootUnit ? kFactoryProgramList : -1;
    const char* name = index == kRootUnit ? "Vellumine" : groupName(index == 1 ? ParameterGroup::Origin : ParameterGroup::Delay);
    toUtf16(name, info.name, 128);
    return true;
}

bool describeProgramList(std::int32_t index, v3_program_list_info& info) {
    if (index != 0) return false;
    info = {};
    info.id = kFactoryProgramList;
    toUtf16("Factory Presets", info.name, 128);
    info.programCount = programCount();
    return true;
}

bool programName(std::int32_t list, std::int32_t program, v3_str_128 name) {
    if (list != kFactoryProgramList || program < 0 || program >= programCount()) return false;
    toUtf16(factoryPresets()[static_cast<std::size_t>(program)].name, name, 128);
    return true;
}

std::int32_t programCount() { return static_cast<std::int32_t>(factoryPresets().size()); }

std::int32_t programOf(double normalized) { return nearestStop(normalized, programCount() - 1); }

bool isBypassed(double normalized) { return normalized >= 0.5; }

bool valueText(v3_param_id id, double normalized, std::optional<float> syncedMilliseconds, v3_str_128 text) {
    if (id == kBypassId) {
        toUtf16(kBypassTexts[isBypassed(normalized) ? 1 : 0], text, 128);
        return true;
    }
    if (id == kProgramId) return programName(kFactoryProgramList, programOf(normalized), text);
    if (!isTableId(id)) return false;
    const std::int32_t index = indexOf(id);
    double unitValue = toUnitValue(index, normalizedValue(static_cast<float>(normalized)));
    if (index == DelayTime && syncedMilliseconds) unitValue = *syncedMilliseconds;
    char narrow[128];
    if (!unitValueText(index, unitValue, narrow, sizeof narrow)) return false;
    toUtf16(narrow, text, 128);
    return true;
}

std::optional<double> parseText(v3_param_id id, const std::int16_t* text) {
    std::string narrow;
    if (!text || !fromUtf16(text, 128, narrow)) return std::nullopt;
    if (id == kBypassId) {
        for (int stop : {0, 1})
            if (narrow == kBypassTexts[stop]) return static_cast<double>(stop);
        return std::nullopt;
    }
    if (id == kProgramId) {
        for (std::int32_t program = 0; program < programCount(); ++program)
            if (narrow == factoryPresets()[static_cast<std::size_t>(program)].name)
                return static_cast<double>(program) / static_cast<double>(programCount() - 1);
        return std::nullopt;
    }
    if (!isTableId(id)) return std::nullopt;
    const std::optional<double> unitValue = parseUnitValue(indexOf(id), narrow.c_str());
    if (!unitValue) return std::nullopt;
    return fromUnitValue(indexOf(id), static_cast<float>(*unitValue));
}

double toPlain(v3_param_id id, double normalized) {
    if (id == kBypassId) return isBypassed(normalized) ? 1.0 : 0.0;
    if (id == kProgramId) return programOf(normalized);
    if (!isTableId(id)) return normalized;
    const std::int32_t index = indexOf(id);
    const float value = normalizedValue(static_cast<float>(normalized));
    if (kParameters[index].unit == Unit::Enumeration) return enumerationStop(index, value);
    return toUnitValue(index, value);
}

double fromPlain(v3_param_id id, double plain) {
    if (id == kBypassId) return plain >= 0.5 ? 1.0 : 0.0;
    if (id == kProgramId) return clampedUnit(plain / static_cast<double>(programCount() - 1));
    if (!isTableId(id)) return clampedUnit(plain);
    return fromUnitValue(indexOf(id), static_cast<float>(plain));
}

}  // namespace vst3door
