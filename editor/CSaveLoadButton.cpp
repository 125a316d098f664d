#include "editor/CSaveLoadButton.h"

#include "editor/CPresetSystemListener.h"
#include "editor/PressPoll.h"
#include "gui/CBitmap.h"

CSaveLoadButton::CSaveLoadButton(const gui::CViewRect& rect, gui::CControlListener* buttonListener,
                                 std::int32_t buttonTag, gui::CBitmap* bitmap,
                                 const gui::CViewPoint& imageOffset, std::int32_t height, std::int32_t mode,
                                 CPresetSystemListener* presets)
    : CControl(rect, buttonListener, buttonTag, bitmap), offset(imageOffset), imageHeight(height),
      fileMode(mode), presetListener(presets)
{
}

void CSaveLoadButton::draw(gui::CDrawContext* context)
{
    if (backgroundBitmap)
    {
        std::int32_t sourceY = offset.v;
        if (value > 0.5f)
            sourceY += 2 * imageHeight;
        else if (value < 0.5f && hover)
            sourceY += imageHeight;
        backgroundBitmap->draw(context, size, gui::CViewPoint{offset.h, sourceY});
    }
    setDirty(false);
}

void CSaveLoadButton::runFileOperation()
{
    switch (fileMode)
    {
    case kLoadBank:
        presetListener->loadBank();
        break;
    case kSaveBank:
        presetListener->saveBank();
        break;
    case kLoadPreset:
        presetListener->loadPreset();
        break;
    case kSavePreset:
        presetListener->savePreset();
        break;
    default:
        break;
    }
}

// No begin or end of an edit gesture goes to the host: the button's tag is
// no parameter index, and the host would hear an end without a begin.
void CSaveLoadButton::mouse(gui::CDrawContext* context, gui::CViewPoint, std::int32_t buttons)
{
    if (!takesMouse || !parentFrame || !context || !presetListener) return;
    if (!(resolveButtons(context, buttons) & gui::buttonLeft)) return;
    setValue(1.0f);
    pressPoll::drawNow(*this, context);
    runFileOperation();
    if (pressPoll::trackRelease(*this, *this)) return;
    pressPoll::waitForRelease(parentFrame);
    showReleased();
}

void CSaveLoadButton::showReleased()
{
    setValue(0.0f);
    setDirty(true);
}

bool CSaveLoadButton::trackPointer(gui::CDrawContext*, const gui::CViewPoint&, std::int32_t buttons)
{
    if (buttons & gui::buttonLeft) return true;
    showReleased();
    return false;
}

void CSaveLoadButton::setHover(bool flag)
{
    if (flag == hover) return;
    hover = flag;
    setDirty(true);
}
