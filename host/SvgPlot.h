#pragma once

#include "host/LevelTrace.h"
#include "host/Status.h"

#include <string>

namespace host
{

// Draws a level trace as an SVG image: input and output levels in dBFS in the
// upper panel, the gain reduction in dB below them on the same time axis.
class SvgPlot
{
  public:
    static std::string render(const LevelTrace& trace, const std::string& title);

    // Written beside the target and renamed, like the audio files.
    static Status write(const std::string& path, const LevelTrace& trace, const std::string& title);
};

} // namespace host
