#include "host/validate/Check.h"
#include "host/validate/Driving.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

namespace host::validation
{
namespace
{

constexpr unsigned char kCanary = 0xA5;

// A text buffer of the interface's size with canaries behind it.
class GuardedText
{
  public:
    explicit GuardedText(std::size_t fieldSize) : size(fieldSize), bytes(fieldSize + 256, kCanary) {}
    char* data() { return reinterpret_cast<char*>(bytes.data()); }
    // Bytes written, counted to the last one changed.
    std::size_t written() const
    {
        for (std::size_t i = bytes.size(); i > 0; --i)
            if (bytes[i - 1] != kCanary) return i;
        return 0;
    }
    bool overrun() const { return written() > size; }
    bool terminated() const { return std::memchr(bytes.data(), 0, size) != nullptr; }

    const std::size_t size;

  private:
    std::vector<unsigned char> bytes;
};

struct TextQuery
{
    const char* what;
    VstInt32 opcode;
    std::size_t size;     // the interface's size, terminator included
    std::size_t tolerate; // what hosts commonly allow beyond it
};

std::vector<VstInt32> badIndices(int count)
{
    return {-1, count, count + 1, 1000, INT_MAX, INT_MIN};
}

// Every index out of range, then every one in range.
std::vector<VstInt32> allIndices(int count, int limit = INT_MAX)
{
    std::vector<VstInt32> indices = badIndices(count);
    for (int i = 0; i < count && i < limit; ++i)
        indices.push_back(i);
    return indices;
}

class TextProbe
{
  public:
    TextProbe(const PluginInstance& subject, Findings& found) : plugin(subject), findings(found) {}

    void ask(const TextQuery& query, VstInt32 index, VstIntPtr value = 0)
    {
        GuardedText text(query.size);
        plugin.dispatch(query.opcode, index, value, text.data());
        const std::string where = std::string(query.what) + " " + std::to_string(index);
        if (text.written() > query.tolerate)
            findings.fail(where + " wrote " + std::to_string(text.written()) + " bytes into " +
                          std::to_string(query.size));
        else if (text.overrun())
            noteOverrun(where, text.written(), query);
        else if (text.written() > 0 && !text.terminated())
            findings.fail(where + " left its text unterminated");
    }

  private:
    // Beyond the interface's size but within what hosts give: said once.
    void noteOverrun(const std::string& where, std::size_t written, const TextQuery& query)
    {
        if (noted) return;
        findings.note(where + " writes " + std::to_string(written) + " bytes where the interface says " +
                      std::to_string(query.size) + " (hosts give " + std::to_string(query.tolerate) + ")");
        noted = true;
    }

    const PluginInstance& plugin;
    Findings& findings;
    bool noted = false;
};

// Parameter texts are 8 characters in the interface; nearly every plug-in
// writes more, and hosts give 64 or more. Each is read at several values.
void probeParameterTexts(PluginInstance& plugin, TextProbe& probe)
{
    const TextQuery queries[] = {
        {"parameter name", effGetParamName, kVstMaxParamStrLen + 1, kVstMaxLabelLen},
        {"parameter label", effGetParamLabel, kVstMaxParamStrLen + 1, kVstMaxLabelLen},
        {"parameter display", effGetParamDisplay, kVstMaxParamStrLen + 1, kVstMaxLabelLen}};
    const int params = plugin.parameterCount();
    for (const TextQuery& query : queries)
        for (const VstInt32 index : allIndices(params))
            for (const float value : {0.0f, 0.5f, 1.0f})
            {
                if (index >= 0 && index < params) plugin.setParameter(index, value);
                probe.ask(query, index);
            }
}

void probeIdentityTexts(const PluginInstance& plugin, TextProbe& probe)
{
    const TextQuery queries[] = {
        {"effect name", effGetEffectName, kVstMaxEffectNameLen + 1, kVstMaxEffectNameLen + 1},
        {"vendor", effGetVendorString, kVstMaxVendorStrLen + 1, kVstMaxVendorStrLen + 1},
        {"product", effGetProductString, kVstMaxProductStrLen + 1, kVstMaxProductStrLen + 1},
        {"program name", effGetProgramName, kVstMaxProgNameLen + 1, kVstMaxProgNameLen + 1}};
    for (const TextQuery& query : queries)
        probe.ask(query, 0);
}

void probeProgramNames(const PluginInstance& plugin, TextProbe& probe)
{
    const TextQuery query{"program", effGetProgramNameIndexed, kVstMaxProgNameLen + 1,
                          kVstMaxProgNameLen + 1};
    for (const VstInt32 index : allIndices(plugin.programCount(), 128))
        probe.ask(query, index, -1);
}

void probePins(const PluginInstance& plugin, bool output, Findings& findings)
{
    const int count = output ? plugin.effect().numOutputs : plugin.effect().numInputs;
    const VstInt32 opcode = output ? effGetOutputProperties : effGetInputProperties;
    const std::string side = output ? "output" : "input";
    for (const VstInt32 index : allIndices(count))
    {
        std::vector<unsigned char> bytes(sizeof(VstPinProperties) + 64, kCanary);
        const VstIntPtr answer = plugin.dispatch(opcode, index, 0, bytes.data());
        if (std::any_of(bytes.begin() + sizeof(VstPinProperties), bytes.end(),
                        [](unsigned char b) { return b != kCanary; }))
            findings.fail(side + " pin " + std::to_string(index) + " wrote past the pin record");
        if (answer != 0 && (index < 0 || index >= count))
            findings.warn(side + " pin " + std::to_string(index) + " answers although the record announces " +
                          std::to_string(count));
    }
}

// Survived is all that is asked; the program must stay one that exists.
void sendIndicesOutOfRange(PluginInstance& plugin, Findings& findings)
{
    char number[] = "0.5";
    for (const VstInt32 index : badIndices(plugin.parameterCount()))
    {
        plugin.dispatch(effCanBeAutomated, index);
        plugin.dispatch(effString2Parameter, index, 0, number);
        plugin.setParameter(index, 0.5f);
        plugin.parameter(index);
    }
    const int programs = plugin.programCount();
    for (const VstInt32 index : badIndices(programs))
        plugin.dispatch(effSetProgram, 0, index);
    const VstIntPtr current = plugin.dispatch(effGetProgram);
    if (programs > 0 && (current < 0 || current >= programs))
        findings.fail("effSetProgram with an index out of range left program " + std::to_string(current));
}

void sendValuesOutOfRange(PluginInstance& plugin, Findings& findings)
{
    for (int i = 0; i < plugin.parameterCount(); ++i)
    {
        plugin.setParameter(i, 2.0f);
        const float value = plugin.parameter(i);
        if (!std::isfinite(value))
            findings.fail("parameter " + std::to_string(i) + " reads " + std::to_string(value) +
                          " after 2.0 was set");
        else if (!(value >= 0.0f && value <= 1.0f))
        {
            findings.warn("parameters read back values outside 0..1 that a host sent (2.0 for parameter " +
                          std::to_string(i) + ")");
            return;
        }
    }
}

} // namespace

Outcome checkIndicesAndTexts(const std::string& path, const ValidationOptions&)
{
    Outcome failure;
    auto plugin = openInstance(path, failure);
    if (!plugin) return failure;
    Findings findings;
    TextProbe probe(*plugin, findings);
    reportStep("parameter texts");
    probeParameterTexts(*plugin, probe);
    reportStep("identity texts");
    probeIdentityTexts(*plugin, probe);
    reportStep("program names");
    probeProgramNames(*plugin, probe);
    reportStep("pin properties");
    probePins(*plugin, false, findings);
    probePins(*plugin, true, findings);
    reportStep("indices out of range");
    sendIndicesOutOfRange(*plugin, findings);
    reportStep("values out of range");
    sendValuesOutOfRange(*plugin, findings);
    return findings.outcome("indices out of range refused, texts within their buffers (" +
                            std::to_string(plugin->parameterCount()) + " parameters, " +
                            std::to_string(plugin->programCount()) + " programs)");
}

} // namespace host::validation
