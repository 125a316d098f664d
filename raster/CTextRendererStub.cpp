// The text renderer of Windows builds until their GDI renderer exists: the
// Windows editor cannot open yet, so nothing is ever drawn through it. It
// measures an empty cell and draws nothing, which keeps FreeType and
// fontconfig out of the DLL.
#include "raster/CTextRenderer.h"

namespace gui
{

struct CTextRenderer::Impl
{
};

CTextRenderer& CTextRenderer::shared()
{
    static CTextRenderer renderer;
    return renderer;
}

CTextRenderer::CTextRenderer() = default;
CTextRenderer::~CTextRenderer() = default;

CTextMetrics CTextRenderer::metrics(int, int)
{
    return {};
}

int CTextRenderer::measure(int, int, std::string_view)
{
    return 0;
}

void CTextRenderer::render(CPixelSurface&, const CViewRect&, int, int, int, int, std::string_view, Pixel) {}

std::string CTextRenderer::fontFile(int, int)
{
    return {};
}

} // namespace gui
