#include "clap/clap_params.h"

#include <cstdio>

#include "core/parameters.h"

namespace clapdoor {

bool isParameterId(clap_id id) { return id < static_cast<clap_id>(kNumDefinedParams); }

void describeParameter(std::int32_t index, clap_param_info_t& info) {
    const ParameterInfo& parameter = kParameters[index];
    info = {};
    info.id = static_cast<clap_id>(index);
    info.flags = CLAP_PARAM_IS_AUTOMATABLE;
    if (parameter.unit == Unit::Enumeration) info.flags |= CLAP_PARAM_IS_STEPPED;
    std::snprintf(info.name, sizeof info.name, "%s", parameter.longName);
    std::snprintf(info.module, sizeof info.module, "%s", groupName(parameter.group));
    info.min_value = 0.0;
    info.max_value = parameter.unitFullScale;
    info.default_value = toUnitValue(index, parameter.initial);
}

}  // namespace clapdoor
