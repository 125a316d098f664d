#pragma once

#include "host/RenderJob.h"
#include "host/Status.h"

#include <string>
#include <vector>

namespace host
{

// The parsed arguments of the amberlit tool.
struct CommandLine
{
    std::string command; // info, render, bench, demo, validate, help, version
    std::vector<std::string> positional;
    std::string pluginPath; // empty: our own plug-in
    std::string plotPath;
    RenderSettings settings;
    bool precisionGiven = false;
    bool quick = false;  // validate: fewer rounds
    bool strict = false; // validate: warnings fail
    int scale = 0;       // edit, screenshot: 1 or 2; 0: not given

    static Status parse(int argc, const char* const* argv, CommandLine& out);
    static const char* usage();
};

} // namespace host
