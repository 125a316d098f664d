#pragma once

#include "raster/CPixelSurface.h"

#include <string>
#include <vector>

namespace host
{

// Our plug-in's editor drawn off screen, in this process, on the in-memory
// window system: no display needed.
class EditorSnapshot
{
  public:
    struct Settings
    {
        int preset = -1;               // factory preset to select first; -1: none
        std::vector<float> values;     // then all parameters, when given
        double programmeSeconds = 2.0; // demo programme run first, so the needle shows reduction
        int scale = 1;                 // device pixels per logical pixel
    };

    // False when the editor could not be opened.
    static bool render(const Settings& settings, gui::CPixelSurface& image);
};

} // namespace host
