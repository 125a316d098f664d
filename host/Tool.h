#pragma once

#include "host/CommandLine.h"
#include "host/PluginInstance.h"

#include <memory>
#include <string>

namespace host
{

// The commands of the amberlit tool. Results go to standard output, errors
// to standard error; run returns the process exit code.
class Tool
{
  public:
    // `builtPluginPath`: where the build put our plug-in; used when it
    // exists, else the module next to the executable.
    explicit Tool(std::string pluginPath) : builtPluginPath(std::move(pluginPath)) {}

    int run(const CommandLine& commandLine);

    std::string pluginPath(const CommandLine& commandLine) const;

  private:
    int info(const CommandLine& commandLine);
    int render(const CommandLine& commandLine);
    int bench(const CommandLine& commandLine);
    int demo(const CommandLine& commandLine);
    int validate(const CommandLine& commandLine);

    std::unique_ptr<PluginInstance> loadPlugin(const CommandLine& commandLine);

    std::string builtPluginPath;
};

} // namespace host
