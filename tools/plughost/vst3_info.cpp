#include <iomanip>

#include "plughost/vst3_commands.h"

namespace plughost::vst3 {
namespace {

std::string narrow(const std::int16_t* text, std::size_t limit) {
    std::string out;
    for (std::size_t i = 0; i < limit && text[i] != 0; ++i) out.push_back(static_cast<char>(text[i]));
    return out;
}

std::string flagsText(std::int32_t flags) {
    std::string text;
    if (flags & V3_PARAM_CAN_AUTOMATE) text += " automatable";
    if (flags & V3_PARAM_IS_LIST) text += " list";
    if (flags & V3_PARAM_IS_BYPASS) text += " bypass";
    if (flags & V3_PARAM_PROGRAM_CHANGE) text += " program-change";
    if (flags & V3_PARAM_READ_ONLY) text += " read-only";
    return text;
}

void printClasses(const Vst3Module& module, std::ostream& out) {
    out << "Classes\n";
    for (const v3_class_info_2& info : module.classes())
        out << "  " << info.name << "  [" << info.category << "] " << info.sub_categories << ", " << info.vendor << " "
            << info.version << "\n";
}

void printBuses(Vst3Plugin& plugin, std::ostream& out) {
    out << "Audio buses\n";
    for (std::int32_t direction : {V3_INPUT, V3_OUTPUT}) {
        v3_component** component = plugin.component();
        const std::int32_t count = v3_cpp_obj(component)->get_bus_count(component, V3_AUDIO, direction);
        for (std::int32_t index = 0; index < count; ++index) {
            v3_bus_info info{};
            if (v3_cpp_obj(component)->get_bus_info(component, V3_AUDIO, direction, index, &info) != V3_OK) continue;
            out << "  " << (direction == V3_INPUT ? "in  " : "out ") << index << " " << std::left << std::setw(16)
                << narrow(info.bus_name, 128) << info.channel_count << " channels\n";
        }
    }
}

void printParameters(Vst3Plugin& plugin, std::ostream& out) {
    const std::vector<v3_param_info> parameters = plugin.parameters();
    out << "Parameters (" << parameters.size() << ")\n  " << std::left << std::setw(6) << "id" << std::setw(26) << "title"
        << std::setw(7) << "steps" << std::setw(5) << "unit" << std::setw(18) << "default" << "value\n";
    for (const v3_param_info& info : parameters) {
        out << "  " << std::setw(6) << info.param_id << std::setw(26) << narrow(info.title, 128) << std::setw(7)
            << info.step_count << std::setw(5) << info.unit_id << std::setw(18)
            << plugin.text(info.param_id, info.default_normalised_value).value_or("?")
            << plugin.text(info.param_id, plugin.normalized(info.param_id)).value_or("?") << " " << flagsText(info.flags)
            << "\n";
    }
}

void printUnits(Vst3Plugin& plugin, std::ostream& out) {
    auto** units = static_cast<v3_unit_information**>(plugin.query(v3_unit_information_iid));
    if (!units) return;
    out << "Units\n";
    for (std::int32_t index = 0; index < v3_cpp_obj(units)->get_unit_count(units); ++index) {
        v3_unit_info info{};
        if (v3_cpp_obj(units)->get_unit_info(units, index, &info) != V3_OK) continue;
        out << "  " << info.id << " " << narrow(info.name, 128) << " (parent " << info.parent_unit_id << ", programs "
            << info.program_list_id << ")\n";
    }
    for (std::int32_t list = 0; list < v3_cpp_obj(units)->get_program_list_count(units); ++list) {
        v3_program_list_info info{};
        if (v3_cpp_obj(units)->get_program_list_info(units, list, &info) != V3_OK) continue;
        out << "Program list " << info.id << " " << narrow(info.name, 128) << " (" << info.programCount << ")\n";
        for (std::int32_t program = 0; program < info.programCount; ++program) {
            v3_str_128 name{};
            if (v3_cpp_obj(units)->get_program_name(units, info.id, program, name) == V3_OK)
                out << "  " << std::setw(3) << program << " " << narrow(name, 128) << "\n";
        }
    }
    v3_cpp_obj_unref(units);
}

}  // namespace

bool printVst3Info(const Vst3Module& module, std::ostream& out, std::string& error) {
    auto plugin = Vst3Plugin::create(module, error);
    if (!plugin) return false;
    out << "VST 3 plug-in " << module.path() << " (" << module.factoryInfo().vendor << ")\n";
    printClasses(module, out);
    printBuses(*plugin, out);
    printParameters(*plugin, out);
    printUnits(*plugin, out);
    const bool doubles = v3_cpp_obj(plugin->processor())->can_process_sample_size(plugin->processor(), V3_SAMPLE_64) == V3_OK;
    out << "64-bit samples: " << (doubles ? "yes" : "no") << "\n";
    if (plugin->activate(44100.0, 512))
        out << "At 44100 Hz: latency " << plugin->latencySamples() << " frames, tail " << plugin->tailSamples() << " frames\n";
    return true;
}

}  // namespace plughost::vst3
