// The parameters as CLAP hosts see them: ids equal to the VST 2 indices, values in the
// units the LV2 edition's ports carry (percent, Hz, ms, enumeration stops), texts in those
// units (core/unit_text.h).
#pragma once

#include <clap/ext/params.h>

#include <cstdint>

namespace clapdoor {

bool isParameterId(clap_id id);
void describeParameter(std::int32_t index, clap_param_info_t& info);

}  // namespace clapdoor
