// Writes the bundle's Turtle (manifest.ttl, vellumine.ttl and presets.ttl) from the port table
// and the factory presets, so that the description a host reads and the conversion the
// plug-in applies can never disagree.
// Usage: bundle_turtle <bundle directory> <plug-in binary> <UI binary>
#include <cstdio>
#include <string>

#include "lv2/ports.h"
#include "lv2/uris.h"
#include "presets/factory_presets.h"

using namespace lv2ports;

namespace {

constexpr const char* kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
    "@prefix pprop: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

const char* unitUri(Unit unit) {
    switch (unit) {
    case Unit::Percent: return "units:pc";
    case Unit::Hertz: return "units:hz";
    case Unit::Milliseconds: return "units:ms";
    case Unit::Enumeration: break;
    }
    return nullptr;
}

void writeScalePoints(std::FILE* out, const ParameterInfo& port) {
    std::fprintf(out, "\t\tlv2:portProperty lv2:integer, lv2:enumeration ;\n\t\tlv2:scalePoint");
    for (std::size_t stop = 0; stop < port.stops.size(); ++stop)
        std::fprintf(out, "%s [ rdfs:label \"%s\" ; rdf:value %d ]", stop ? "," : "", port.stops[stop],
                     static_cast<int>(stop));
    std::fprintf(out, " ;\n");
}

void writeControlPort(std::FILE* out, std::int32_t index) {
    const ParameterInfo& port = kParameters[index];
    const float defaultValue = toUnitValue(index, port.initial);
    std::fprintf(out, "\t[\n\t\ta lv2:InputPort, lv2:ControlPort ;\n");
    std::fprintf(out, "\t\tlv2:index %u ;\n\t\tlv2:symbol \"%s\" ;\n\t\tlv2:name \"%s\" ;\n", port.lv2Port,
                 port.symbol, port.longName);
    std::fprintf(out, "\t\tpg:group <%s#%s> ;\n", kPluginUri, groupSymbol(port.group));
    if (port.unit == Unit::Enumeration) {
        std::fprintf(out, "\t\tlv2:default %d ;\n\t\tlv2:minimum 0 ;\n\t\tlv2:maximum %d ;\n",
                     static_cast<int>(defaultValue), static_cast<int>(port.unitFullScale));
        writeScalePoints(out, port);
    } else {
        std::fprintf(out, "\t\tlv2:default %.1f ;\n\t\tlv2:minimum 0.0 ;\n\t\tlv2:maximum %.1f ;\n",
                     static_cast<double>(defaultValue), static_cast<double>(port.unitFullScale));
        std::fprintf(out, "\t\tunits:unit %s ;\n", unitUri(port.unit));
    }
    std::fprintf(out, "\t]");
}

void writeAudioPort(std::FILE* out, std::uint32_t index, const char* direction, const char* symbol,
                    const char* name) {
    std::fprintf(out,
                 "\t[\n\t\ta lv2:%s, lv2:AudioPort ;\n\t\tlv2:index %u ;\n\t\tlv2:symbol \"%s\" ;\n"
                 "\t\tlv2:name \"%s\" ;\n\t]",
                 direction, index, symbol, name);
}

// The host's transport: time:Position events carry the tempo that a synced delay follows.
void writeTimePort(std::FILE* out) {
    std::fprintf(out,
                 "\t[\n\t\ta lv2:InputPort, atom:AtomPort ;\n\t\tatom:bufferType atom:Sequence ;\n"
                 "\t\tatom:supports time:Position ;\n\t\tlv2:index %u ;\n\t\tlv2:symbol \"time\" ;\n"
                 "\t\tlv2:name \"Time\" ;\n\t]",
                 kTimePort);
}

// For the editor, which runs apart from the plug-in: the length a synced delay runs at, which
// the Rate shows while Sync is on. No control of its own for a host to show.
void writeSyncedDelayPort(std::FILE* out) {
    std::fprintf(out,
                 "\t[\n\t\ta lv2:OutputPort, lv2:ControlPort ;\n\t\tlv2:index %u ;\n\t\tlv2:symbol \"synced_delay\" ;\n"
                 "\t\tlv2:name \"Synced Delay\" ;\n\t\tlv2:minimum 0.0 ;\n\t\tlv2:maximum %.1f ;\n"
                 "\t\tunits:unit units:ms ;\n\t\tlv2:portProperty lv2:connectionOptional, pprop:notOnGUI ;\n\t]",
                 kSyncedDelayPort, static_cast<double>(kParameters[DelayTime].unitFullScale));
}

void writeGroup(std::FILE* out, const char* symbol, const char* label) {
    std::fprintf(out, "<%s#%s>\n\ta pg:Group ;\n\tlv2:symbol \"%s\" ;\n\trdfs:label \"%s\" .\n\n", kPluginUri, symbol,
                 symbol, label);
}

void writePlugin(std::FILE* out) {
    std::fputs(kPrefixes, out);
    for (ParameterGroup group : {ParameterGroup::Origin, ParameterGroup::Delay})
        writeGroup(out, groupSymbol(group), groupName(group));
    std::fprintf(out,
                 "<%s>\n\ta lv2:Plugin, lv2:DelayPlugin, doap:Project ;\n\tdoap:name \"Vellumine\" ;\n"
                 "\tdoap:maintainer [ foaf:name \"Quorvane\" ] ;\n\tlv2:minorVersion 0 ;\n\tlv2:microVersion 0 ;\n"
                 "\tlv2:optionalFeature lv2:hardRTCapable, urid:map ;\n\tlv2:port\n",
                 kPluginUri);
    for (std::int32_t index = 0; index < kNumControlPorts; ++index) {
        writeControlPort(out, index);
        std::fputs(",\n", out);
    }
    writeAudioPort(out, kAudioInLeft, "InputPort", "in_left", "In Left");
    std::fputs(",\n", out);
    writeAudioPort(out, kAudioInRight, "InputPort", "in_right", "In Right");
    std::fputs(",\n", out);
    writeAudioPort(out, kAudioOutLeft, "OutputPort", "out_left", "Out Left");
    std::fputs(",\n", out);
    writeAudioPort(out, kAudioOutRight, "OutputPort", "out_right", "Out Right");
    std::fputs(",\n", out);
    writeTimePort(out);
    std::fputs(",\n", out);
    writeSyncedDelayPort(out);
    std::fputs(" .\n", out);
}

// The preset's URI: the plug-in's, with the name in lower case, words joined by '-'.
std::string presetUri(const FactoryPreset& preset) {
    std::string uri = std::string(kPluginUri) + "#preset-";
    bool gap = false;
    for (const char* c = preset.name; *c; ++c) {
        const bool word = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9');
        if (!word) {
            gap = true;
            continue;
        }
        if (gap && uri.back() != '-') uri += '-';
        gap = false;
        uri += static_cast<char>(*c >= 'A' && *c <= 'Z' ? *c - 'A' + 'a' : *c);
    }
    return uri;
}

// Each preset's values in the ports' own units, converted as the plug-in converts them back;
// nine significant digits carry a float exactly.
void writePresets(std::FILE* out) {
    std::fputs(kPrefixes, out);
    for (const FactoryPreset& preset : factoryPresets()) {
        std::fprintf(out, "<%s>\n\ta pset:Preset ;\n\tlv2:appliesTo <%s> ;\n\trdfs:label \"%s\" ;\n"
                          "\trdfs:comment \"%s\" ;\n\tlv2:port",
                     presetUri(preset).c_str(), kPluginUri, preset.name, preset.description);
        const std::array<float, kNumDefinedParams> values = preset.values();
        for (std::int32_t index = 0; index < kNumControlPorts; ++index) {
            std::fprintf(out, "%s [\n\t\tlv2:symbol \"%s\" ;\n\t\tpset:value %.9g\n\t]", index ? "," : "",
                         kParameters[index].symbol, static_cast<double>(toUnitValue(index, values[static_cast<std::size_t>(index)])));
        }
        std::fputs(" .\n\n", out);
    }
}

void writeManifest(std::FILE* out, const char* pluginBinary, const char* uiBinary) {
    std::fputs(kPrefixes, out);
    std::fprintf(out, "<%s>\n\ta lv2:Plugin ;\n\tlv2:binary <%s> ;\n\trdfs:seeAlso <vellumine.ttl> .\n\n", kPluginUri,
                 pluginBinary);
    std::fprintf(out,
                 "<%s>\n\ta ui:X11UI ;\n\tui:binary <%s> ;\n"
                 "\tlv2:requiredFeature ui:idleInterface ;\n"
                 "\tlv2:optionalFeature ui:parent, ui:resize, ui:touch, opts:options, urid:map ;\n"
                 "\topts:supportedOption ui:scaleFactor ;\n"
                 "\tlv2:extensionData ui:idleInterface, ui:showInterface .\n\n"
                 "<%s>\n\tui:ui <%s> .\n",
                 kUiUri, uiBinary, kPluginUri, kUiUri);
    for (const FactoryPreset& preset : factoryPresets()) {
        std::fprintf(out, "\n<%s>\n\ta pset:Preset ;\n\tlv2:appliesTo <%s> ;\n\trdfs:label \"%s\" ;\n"
                          "\trdfs:seeAlso <presets.ttl> .\n",
                     presetUri(preset).c_str(), kPluginUri, preset.name);
    }
}

bool writeFile(const std::string& path, void (*write)(std::FILE*, const char*, const char*), const char* a,
               const char* b) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return false;
    write(out, a, b);
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <bundle directory> <plug-in binary> <UI binary>\n", argv[0]);
        return 2;
    }
    const std::string bundle = argv[1];
    const bool written =
        writeFile(bundle + "/manifest.ttl", writeManifest, argv[2], argv[3]) &&
        writeFile(bundle + "/vellumine.ttl", [](std::FILE* out, const char*, const char*) { writePlugin(out); },
                  nullptr, nullptr) &&
        writeFile(bundle + "/presets.ttl", [](std::FILE* out, const char*, const char*) { writePresets(out); },
                  nullptr, nullptr);
    if (!written) std::fprintf(stderr, "%s: cannot write the Turtle into %s\n", argv[0], argv[1]);
    return written ? 0 : 1;
}
