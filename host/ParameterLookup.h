#pragma once

#include "host/PluginInstance.h"
#include "host/Status.h"

#include <string>

namespace host
{

// Turns "Name=value" as a user types it into a parameter index and a
// normalised value, using nothing but what the plug-in reports: its parameter
// names and its own display texts. That makes it work for any plug-in.
//
// Names match case-insensitively; "#N" or a bare number selects index N.
// Values are display texts ("4:1", "Clear", "7.5"); a number that falls
// between two display steps takes the nearest step. "norm:X" gives the
// normalised value X (0..1) directly.
class ParameterLookup
{
  public:
    struct Assignment
    {
        int index = -1;
        float value = 0.0f;
        std::string note; // set when the value was moved to the nearest step
    };

    explicit ParameterLookup(PluginInstance& instance) : plugin(instance) {}

    Status findIndex(const std::string& name, int& index) const;

    // Probes the parameter's displays across its range; the parameter is put
    // back to its previous value afterwards.
    Status findValue(int index, const std::string& text, Assignment& assignment) const;

    Status parse(const std::string& assignmentText, Assignment& assignment) const;

  private:
    PluginInstance& plugin;
};

} // namespace host
