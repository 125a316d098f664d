#pragma once
// Screenshots and golden-image dumps for people to look at.

#include <string>

#include "raster/CPixelSurface.h"

namespace gui
{

// Writes an 8-bit RGB PNG; false (and no file left behind) on any failure.
bool writePng(const CPixelSurface& surface, const std::string& path);

} // namespace gui
