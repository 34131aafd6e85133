#include <iomanip>

#include "plughost/clap_commands.h"

namespace plughost::clap {
namespace {

constexpr const char* kKnownExtensions[] = {CLAP_EXT_AUDIO_PORTS, CLAP_EXT_PARAMS, CLAP_EXT_STATE,
                                            CLAP_EXT_LATENCY,     CLAP_EXT_GUI,    CLAP_EXT_TIMER_SUPPORT};

std::string orNone(const char* text) { return text && *text ? text : "(none)"; }

void printDescriptor(const clap_plugin_descriptor_t& d, std::ostream& out) {
    out << "Descriptor\n"
        << "  id             " << orNone(d.id) << "\n"
        << "  name           " << orNone(d.name) << "\n"
        << "  vendor         " << orNone(d.vendor) << "\n"
        << "  version        " << orNone(d.version) << "\n"
        << "  CLAP version   " << d.clap_version.major << "." << d.clap_version.minor << "." << d.clap_version.revision
        << "\n  features      ";
    for (const char* const* feature = d.features; feature && *feature; ++feature) out << " " << *feature;
    out << "\n";
}

void printPorts(const ClapPlugin& plugin, std::ostream& out) {
    const auto* ports = plugin.extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    out << "Audio ports\n";
    for (bool input : {true, false}) {
        const std::uint32_t count = ports ? ports->count(&plugin.plugin(), input) : 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            clap_audio_port_info_t info{};
            if (!ports->get(&plugin.plugin(), i, input, &info)) continue;
            out << "  " << (input ? "in  " : "out ") << info.id << " " << std::left << std::setw(16) << info.name
                << info.channel_count << " channels" << (info.in_place_pair != CLAP_INVALID_ID ? ", in place" : "") << "\n";
        }
    }
}

void printParameters(const ClapPlugin& plugin, std::ostream& out) {
    const std::vector<clap_param_info_t> parameters = plugin.parameters();
    out << "Parameters (" << parameters.size() << ")\n  " << std::left << std::setw(5) << "id" << std::setw(26) << "name"
        << std::setw(12) << "range" << std::setw(14) << "default" << "value\n";
    for (const clap_param_info_t& info : parameters) {
        const std::string range = std::to_string(static_cast<long>(info.min_value)) + ".." +
                                  std::to_string(static_cast<long>(info.max_value));
        const std::string value = plugin.text(info.id, plugin.value(info.id).value_or(0.0)).value_or("?");
        out << "  " << std::setw(5) << info.id << std::setw(26) << info.name << std::setw(12) << range << std::setw(14)
            << plugin.text(info.id, info.default_value).value_or("?") << value
            << ((info.flags & CLAP_PARAM_IS_STEPPED) ? "  (stepped)" : "") << "\n";
    }
}

}  // namespace

bool printClapInfo(const ClapModule& module, std::ostream& out, std::string& error) {
    ClapHost host;
    auto plugin = ClapPlugin::create(module, host, 0, error);
    if (!plugin) return false;
    out << "CLAP plug-in " << module.path() << " (" << module.factory()->get_plugin_count(module.factory())
        << " in the factory)\n";
    printDescriptor(plugin->descriptor(), out);
    printPorts(*plugin, out);
    printParameters(*plugin, out);
    out << "Extensions\n";
    for (const char* id : kKnownExtensions) out << "  " << std::left << std::setw(22) << id << (plugin->extension<void>(id) ? "yes" : "no") << "\n";
    if (const auto* latency = plugin->extension<clap_plugin_latency_t>(CLAP_EXT_LATENCY)) {
        if (plugin->activate(44100.0, 512)) out << "Latency at 44100 Hz: " << latency->get(&plugin->plugin()) << " frames\n";
    }
    return true;
}

}  // namespace plughost::clap
