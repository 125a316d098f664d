#include "editor/CTRRockerSwitch.h"

#include "editor/CPresetSystemListener.h"
#include "gui/CBitmap.h"

CTRRockerSwitch::CTRRockerSwitch(const gui::CViewRect& rect, gui::CControlListener* switchListener,
                                 std::int32_t switchTag, gui::CBitmap* bitmap, std::int32_t height,
                                 CPresetSystemListener* presets)
    : CRockerSwitch(rect, switchListener, switchTag, bitmap), presetListener(presets),
      imageHeight(height), leftHalf{rect.left, rect.top, (rect.left + rect.right) / 2, rect.bottom},
      rightHalf{(rect.left + rect.right) / 2, rect.top, rect.right, rect.bottom}
{
}

void CTRRockerSwitch::draw(gui::CDrawContext* context)
{
    if (backgroundBitmap)
    {
        std::int32_t image = 0;
        if (value == 1.0f)
            image = 4;
        else if (value == -1.0f)
            image = 3;
        else if (hoverHalf == kLeftHalf)
            image = 1;
        else if (hoverHalf == kRightHalf)
            image = 2;
        backgroundBitmap->draw(context, size, gui::CViewPoint{0, image * imageHeight});
    }
    setDirty(false);
}

void CTRRockerSwitch::mouse(gui::CDrawContext* context, gui::CViewPoint where, std::int32_t buttons)
{
    if (!takesMouse || !presetListener) return;
    if (!(resolveButtons(context, buttons) & gui::buttonLeft)) return;
    // The middle column belongs to the left half.
    const std::int32_t mid = (size.right - size.left) / 2;
    const bool inRows = size.top <= where.v && where.v <= size.bottom;
    bool up = false;
    if (inRows && size.left <= where.h && where.h <= size.left + mid)
        value = -1.0f;
    else if (inRows && size.left + mid <= where.h && where.h <= size.right)
    {
        value = 1.0f;
        up = true;
    }
    else
    {
        value = 0.0f;
        return;
    }
    doIdleStuff();
    presetListener->stepPreset(up);
    setDirty(true);
    value = 0.0f;
}

void CTRRockerSwitch::setHover(bool flag, const gui::CViewPoint& where)
{
    const std::int32_t before = hoverHalf;
    if (!flag)
        hoverHalf = kNoHalf;
    else if (leftHalf.pointInside(where))
        hoverHalf = kLeftHalf;
    else if (rightHalf.pointInside(where))
        hoverHalf = kRightHalf;
    if (hoverHalf != before) setDirty(true);
}
