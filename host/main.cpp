// amberlit: a command-line host for plug-ins of the 2.4 interface, made to
// render, inspect and time our compressor and its peers.
#include "host/CommandLine.h"
#include "host/TemporaryFiles.h"
#include "host/Tool.h"

#include <cstdio>

#ifndef AMBERLIT_PLUGIN_PATH
#define AMBERLIT_PLUGIN_PATH ""
#endif

int main(int argc, char** argv)
{
    host::CommandLine commandLine;
    const host::Status status = host::CommandLine::parse(argc, argv, commandLine);
    if (!status.ok())
    {
        std::fprintf(stderr, "amberlit: %s\n\n%s", status.message().c_str(),
                     host::CommandLine::usage().c_str());
        return 2;
    }
    host::TemporaryFiles::removeOnInterrupt();
    return host::Tool(AMBERLIT_PLUGIN_PATH).run(commandLine);
}
