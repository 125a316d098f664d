#pragma once
// How the checks drive a plug-in: through host/'s one loader and callback,
// in call orders of their own, block by block.

#include "host/AudioBuffer.h"
#include "host/PluginInstance.h"
#include "host/validate/Check.h"

#include <memory>
#include <string>
#include <vector>

namespace host::validation
{

constexpr double kRate = 48000.0;

// One opened instance, or null with the reason in `failure`.
std::unique_ptr<PluginInstance> openInstance(const std::string& path, Outcome& failure);

// The host answers what it announced when the plug-in asks back.
void announceRate(PluginInstance& plugin, double rate);
void announceBlockSize(PluginInstance& plugin, int frames);
void switchOn(PluginInstance& plugin);
void switchOff(PluginInstance& plugin);
// Rate and block size announced, then switched on.
void start(PluginInstance& plugin, double rate, int maxBlock = 512);

std::string currentProgramName(const PluginInstance& plugin);
// Every parameter's value, by index.
std::vector<float> parameters(const PluginInstance& plugin);

// How a render drives the process entries.
struct RenderWay
{
    int block = 512;
    bool wide = false;         // processDoubleReplacing
    bool alternate = false;    // both entries, block by block
    bool inPlace = false;      // outputs are the input buffers
    bool randomBlocks = false; // sizes from 1 to `block`
    bool emptyBlocks = false;  // a zero-length call between blocks
};

// Stereo in, stereo out, whatever the plug-in's pins; the input's rate is
// only carried over to the output (announcing it is the caller's business).
AudioBuffer render(PluginInstance& plugin, const AudioBuffer& input, const RenderWay& way = {});

} // namespace host::validation
