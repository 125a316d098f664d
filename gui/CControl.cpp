#include "gui/CControl.h"

#include <algorithm>
#include <cstring>

#include "gui/CFrame.h"

namespace gui
{

namespace
{
constexpr std::int32_t kMinimumDoubleClickDelay = 250;
}

CControl::CControl(const CViewRect& rect, CControlListener* controlListener, std::int32_t controlTag,
                   CBitmap* background)
    : CView(rect), listener(controlListener), tag(controlTag)
{
    transparencyEnabled = false;
    takesMouse = true;
    setBackground(background);
    setDirty(true);
}

bool CControl::isDirty() const
{
    // Written as a negated equality so that a NaN on either side is a change.
    return !(value == oldValue) || markedDirty;
}

void CControl::setDirty(bool dirty)
{
    markedDirty = dirty;
    if (dirty)
        oldValue = value == -1.0f ? 0.0f : -1.0f;
    else
        oldValue = value;
}

bool CControl::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CControl") == 0) || CView::isTypeOf(name);
}

bool CControl::onWheel(CDrawContext* context, const CViewPoint& where, std::int32_t axis, float distance)
{
    return axis == kVerticalWheel && onWheel(context, where, distance);
}

void CControl::doIdleStuff()
{
    if (parentFrame) parentFrame->doIdleStuff();
}

void CControl::beginEdit()
{
    if (!parentFrame) return;
    parentFrame->setFocusView(this);
    parentFrame->beginEdit(tag);
}

void CControl::endEdit()
{
    if (parentFrame) parentFrame->endEdit(tag);
}

void CControl::clampValue()
{
    if (value > vmax)
        value = vmax;
    else if (value < vmin)
        value = vmin;
}

bool CControl::tryResetToDefault(CDrawContext* context, std::int32_t buttons)
{
    if (buttons != (modControl | buttonLeft)) return false;
    beginEdit();
    value = getDefaultValue();
    notifyIfDirty(context);
    endEdit();
    return true;
}

std::int32_t CControl::getDoubleClickDelay()
{
    if (parentFrame && parentFrame->getPlatform())
    {
        const auto systemTime = parentFrame->getPlatform()->doubleClickTime();
        delta = std::max<std::int32_t>(kMinimumDoubleClickDelay,
                                       static_cast<std::int32_t>(std::min<std::uint32_t>(systemTime, 60000)));
    }
    return delta;
}

bool CControl::offerModifierClick(CDrawContext* context, std::int32_t buttons)
{
    return listener && (buttons & kAnyModifierMask) && listener->modifierClicked(context, this, buttons) != 0;
}

void CControl::notifyIfDirty(CDrawContext* context)
{
    if (isDirty() && listener) listener->valueChanged(context, this);
}

std::int32_t CControl::resolveButtons(CDrawContext* context, std::int32_t buttons) const
{
    return buttons == kUnknownButtons ? readMouseButtons(context) : buttons;
}

} // namespace gui
