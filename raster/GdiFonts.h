#pragma once
// Windows only: the fonts of the font table as GDI fonts. A face GDI does not
// have is replaced as the Linux build's font matching replaces it: "Arial" by
// its metric-compatible twin, then by any sans-serif face the system has.

#include <windows.h>

#include <string>

namespace gui
{

// The face that stands in for `requested` on this system (`requested` itself
// when it is installed; empty when no candidate is).
std::string gdiFaceFor(const char* requested);

// A font of `height` pixels (character height, not cell height) in the face
// that stands in for `face`. The caller deletes it.
HFONT createGdiFont(const char* face, int height, bool bold, bool italic, bool underline, bool decorative);

} // namespace gui
