#include "editor/CSplashScreenMyView.h"

#include "editor/CAbout.h"
#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "resources/SkinLayout.h"

namespace
{
constexpr std::int32_t kVersionFont = 3;
constexpr gui::CViewColor kVersionColor{200, 200, 200, 255};

gui::CViewRect versionRect()
{
    const auto& r = resources::kVersionTextRect;
    return gui::CViewRect{r.left, r.top, r.right, r.bottom};
}
} // namespace

CSplashScreenMyView::CSplashScreenMyView(const gui::CViewRect& rect, CAbout* owner, const char* version)
    : CView(rect), about(owner), versionText(version ? version : "")
{
    setMouseableArea(rect);
    if (about)
    {
        setBackground(about->getBackground());
        setTransparency(about->getTransparency());
    }
}

void CSplashScreenMyView::draw(gui::CDrawContext* context)
{
    if (backgroundBitmap && context)
    {
        const gui::CViewPoint offset = about ? about->getPictureOffset() : gui::CViewPoint{};
        if (transparencyEnabled)
            backgroundBitmap->drawTransparent(context, size, offset);
        else
            backgroundBitmap->draw(context, size, offset);
    }
    if (context)
    {
        context->setFont(kVersionFont);
        context->setFontColor(kVersionColor);
        const std::string text = "v. " + versionText;
        context->drawString(text.c_str(), versionRect(), false, gui::kTextAlignLeft);
    }
    setDirty(false);
}

void CSplashScreenMyView::mouse(gui::CDrawContext* context, gui::CViewPoint, std::int32_t buttons)
{
    if (!(buttons & gui::buttonLeft)) return;
    gui::CFrame* frame = getFrame();
    // Releasing the modal view destroys this view: keep it alive until the end.
    retain();
    if (about) about->unSplash(context);
    if (frame)
    {
        frame->setDirty(true);
        frame->setModalView(nullptr);
    }
    release();
}
