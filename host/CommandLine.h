#pragma once

#include "host/RenderJob.h"
#include "host/Status.h"

#include <string>
#include <vector>

namespace host
{

// The parsed arguments of the amberlit tool. Each command takes only the
// options and arguments its row of the command table names; the usage text
// is written from the same tables.
struct CommandLine
{
    std::string command; // info, render, bench, demo, bank, edit, screenshot, validate, help, version
    std::vector<std::string> positional;
    std::string pluginPath; // empty: our own plug-in
    std::string plotPath;
    RenderSettings settings;
    bool precisionGiven = false;
    bool quick = false;                 // validate: fewer rounds
    bool strict = false;                // validate: warnings fail
    std::vector<std::string> tolerated; // validate: checks whose failures only warn
    int scale = 0;                      // edit, screenshot: 1 or 2; 0: not given

    static Status parse(int argc, const char* const* argv, CommandLine& out);
    static std::string usage();
};

} // namespace host
