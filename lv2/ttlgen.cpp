// Writes the bundle's Turtle files from the same tables the modules use:
//   amberlit_lv2_ttl OUTDIR
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/ParameterTable.h"
#include "lv2/PortTable.h"
#include "lv2/Uris.h"
#include "presets/FactoryPresets.h"

namespace
{

constexpr const char* kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                                  "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                                  "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                                  "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                                  "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
                                  "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                                  "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                                  "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                                  "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                                  "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
                                  "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                                  "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
                                  "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n\n";

// A decimal literal that reads back as the same float.
std::string number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    std::string out = text;
    if (out.find_first_of(".e") == std::string::npos) out += ".0";
    return out;
}

std::string uri(const std::string& text)
{
    return "<" + text + ">";
}

std::string presetUri(int32_t index)
{
    std::string slug;
    for (const char* c = kFactoryPresets[static_cast<std::size_t>(index)].name; *c; ++c)
        slug += std::isalnum(static_cast<unsigned char>(*c)) ? static_cast<char>(std::tolower(*c)) : '-';
    return uri(lv2uri::kPresetBase + std::to_string(index + 1) + "-" + slug);
}

// The port values of program 0 as the effect starts.
float defaultPortValue(const lv2port::ControlPort& port)
{
    const auto values = factoryPresetValues(kFactoryPresets[0]);
    return lv2port::portFromParameter(port, values[static_cast<std::size_t>(port.parameter)]);
}

void writeControl(std::ostream& out, uint32_t index, const lv2port::ControlPort& port)
{
    out << "    [\n        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n        lv2:symbol \"" << port.symbol << "\" ;\n"
        << "        lv2:name \"" << port.name << "\" ;\n"
        << "        lv2:default " << number(defaultPortValue(port)) << " ;\n"
        << "        lv2:minimum 0.0 ;\n        lv2:maximum " << number(port.maximum);
    switch (port.kind)
    {
    case lv2port::Kind::ProcessSwitch:
    case lv2port::Kind::RatioSwitch:
    {
        const bool process = port.kind == lv2port::Kind::ProcessSwitch;
        const int32_t count = process ? params::kProcessModes : params::kRatioSteps;
        out << " ;\n        lv2:portProperty lv2:integer , lv2:enumeration";
        for (int32_t i = 0; i < count; ++i)
        {
            out << (i == 0 ? " ;\n        lv2:scalePoint " : " ,\n            ") << "[ rdfs:label \""
                << (process ? params::kProcessTexts[i] : params::kRatioTexts[i]) << "\" ; rdf:value " << i
                << ".0 ]";
        }
        break;
    }
    case lv2port::Kind::Scale:
        out << " ;\n        pprops:rangeSteps " << static_cast<int>(port.maximum / port.step + 1.5f);
        if (port.parameter == params::kOutput) out << " ;\n        units:unit units:db";
        break;
    case lv2port::Kind::Hidden:
        out << " ;\n        lv2:portProperty pprops:notOnGUI";
        break;
    }
    out << " ;\n    ]";
}

void writeAudio(std::ostream& out, uint32_t index, bool input, const char* symbol, const char* name)
{
    out << " , [\n        a lv2:AudioPort , " << (input ? "lv2:InputPort" : "lv2:OutputPort") << " ;\n"
        << "        lv2:index " << index << " ;\n        lv2:symbol \"" << symbol << "\" ;\n"
        << "        lv2:name \"" << name << "\" ;\n    ]";
}

void writePlugin(std::ostream& out, const char* pluginUri, bool mono)
{
    out << uri(pluginUri) << "\n    a lv2:Plugin , lv2:CompressorPlugin , doap:Project ;\n"
        << "    doap:name \"TRV amberLit" << (mono ? " (mono)" : "") << "\" ;\n"
        << "    rdfs:comment \"TRV amberLit - opto compressor\" ;\n"
        << "    doap:maintainer [ foaf:name \"TRV-sonikwerk\" ] ;\n"
        << "    doap:license <http://usefulinc.com/doap/licenses/unknown> ;\n"
        << "    lv2:minorVersion 0 ;\n    lv2:microVersion 8 ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
        << "    lv2:extensionData state:interface ;\n    ui:ui " << uri(lv2uri::kUi) << " ;\n    lv2:port\n";
    for (uint32_t i = 0; i < lv2port::kNumControls; ++i)
    {
        if (i > 0) out << " , ";
        writeControl(out, i, lv2port::kControls[i]);
    }
    out << " , [\n        a lv2:OutputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << lv2port::kGainReduction << " ;\n        lv2:symbol \"gain_reduction\" ;\n"
        << "        lv2:name \"Gain reduction\" ;\n        lv2:default 0.0 ;\n        lv2:minimum 0.0 ;\n"
        << "        lv2:maximum " << number(lv2port::kMaxGainReductionDb)
        << " ;\n        units:unit units:db ;\n    ]";
    out << " , [\n        a lv2:OutputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << lv2port::kLatency << " ;\n        lv2:symbol \"latency\" ;\n"
        << "        lv2:name \"Latency\" ;\n        lv2:default 0.0 ;\n        lv2:minimum 0.0 ;\n"
        << "        lv2:maximum 0.0 ;\n        lv2:designation lv2:latency ;\n"
        << "        lv2:portProperty lv2:reportsLatency , lv2:integer ;\n        units:unit units:frame ;\n  "
           "  ]";
    uint32_t index = lv2port::kFirstAudio;
    if (mono)
    {
        writeAudio(out, index++, true, "in", "In");
        writeAudio(out, index++, false, "out", "Out");
    }
    else
    {
        writeAudio(out, index++, true, "in_l", "In L");
        writeAudio(out, index++, true, "in_r", "In R");
        writeAudio(out, index++, false, "out_l", "Out L");
        writeAudio(out, index++, false, "out_r", "Out R");
    }
    out << " .\n\n";
}

void writeUi(std::ostream& out)
{
    out << uri(lv2uri::kUi) << "\n    a ui:X11UI ;\n"
        << "    lv2:optionalFeature ui:parent , ui:resize , ui:touch , ui:noUserResize ,\n"
        << "        <http://lv2plug.in/ns/ext/instance-access> ;\n"
        << "    lv2:requiredFeature ui:idleInterface ;\n"
        << "    lv2:extensionData ui:idleInterface ;\n";
    for (const char* plugin : {lv2uri::kStereo, lv2uri::kMono})
    {
        out << "    ui:portNotification [ ui:plugin " << uri(plugin)
            << " ; lv2:symbol \"gain_reduction\" ; ui:notifyType ui:floatProtocol ] ;\n";
    }
    out << "    .\n";
}

// The state key a published preset carries.
void writeProperties(std::ostream& out)
{
    out << uri(lv2uri::kPresetKey) << "\n    a rdf:Property ;\n    rdfs:label \"factory preset\" ;\n"
        << "    rdfs:comment \"The factory preset (0 to 23) a published preset is; names the preset being "
           "edited.\" ;\n"
        << "    rdfs:range xsd:integer .\n\n";
}

void writeManifest(std::ostream& out)
{
    for (const char* plugin : {lv2uri::kStereo, lv2uri::kMono})
    {
        out << uri(plugin) << "\n    a lv2:Plugin ;\n    lv2:binary <" << lv2uri::kDspBinary << "> ;\n"
            << "    rdfs:seeAlso <amberLit.ttl> .\n\n";
    }
    out << uri(lv2uri::kUi) << "\n    a ui:X11UI ;\n    ui:binary <" << lv2uri::kUiBinary << "> ;\n"
        << "    rdfs:seeAlso <amberLit.ttl> .\n\n";
    for (int32_t i = 0; i < kNumFactoryPresets; ++i)
    {
        out << presetUri(i) << "\n    a pset:Preset ;\n    lv2:appliesTo " << uri(lv2uri::kStereo) << " , "
            << uri(lv2uri::kMono) << " ;\n    rdfs:seeAlso <presets.ttl> .\n\n";
    }
}

// "Process" is one setting for all programs, not part of a preset: as in the
// 2.4 editor, choosing a preset leaves it as it is.
void writePresets(std::ostream& out)
{
    for (int32_t i = 0; i < kNumFactoryPresets; ++i)
    {
        const FactoryPreset& preset = kFactoryPresets[static_cast<std::size_t>(i)];
        const auto values = factoryPresetValues(preset);
        out << presetUri(i) << "\n    a pset:Preset ;\n    lv2:appliesTo " << uri(lv2uri::kStereo) << " , "
            << uri(lv2uri::kMono) << " ;\n    rdfs:label \"" << preset.name << "\" ;\n    lv2:port ";
        bool first = true;
        for (const lv2port::ControlPort& port : lv2port::kControls)
        {
            if (port.parameter == params::kProcess) continue;
            out << (first ? "" : " , ") << "[ lv2:symbol \"" << port.symbol << "\" ; pset:value "
                << number(lv2port::portFromParameter(port, values[static_cast<std::size_t>(port.parameter)]))
                << " ]";
            first = false;
        }
        out << " ;\n    state:state [ " << uri(lv2uri::kPresetKey) << " " << i << " ] .\n\n";
    }
}

bool writeFile(const std::string& path, void (*write)(std::ostream&))
{
    std::ostringstream text;
    text << kPrefixes;
    write(text);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text.str();
    file.close();
    if (!file)
    {
        std::fprintf(stderr, "amberlit_lv2_ttl: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: amberlit_lv2_ttl OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = writeFile(dir + "/manifest.ttl", writeManifest) &&
                    writeFile(dir + "/amberLit.ttl",
                              [](std::ostream& out)
                              {
                                  writePlugin(out, lv2uri::kStereo, false);
                                  writePlugin(out, lv2uri::kMono, true);
                                  writeUi(out);
                                  writeProperties(out);
                              }) &&
                    writeFile(dir + "/presets.ttl", writePresets);
    return ok ? 0 : 1;
}
