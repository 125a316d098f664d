#include "gui/CRockerSwitch.h"

#include <cstring>

namespace gui
{

CRockerSwitch::CRockerSwitch(const CViewRect& rect, CControlListener* switchListener, std::int32_t switchTag,
                             CBitmap* background)
    : CControl(rect, switchListener, switchTag, background)
{
}

bool CRockerSwitch::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CRockerSwitch") == 0) || CControl::isTypeOf(name);
}

bool CRockerSwitch::onWheel(CDrawContext* context, const CViewPoint& where, float distance)
{
    if (!takesMouse) return false;
    value = distance > 0.0f ? -1.0f : 1.0f;
    beginEdit();
    notifyIfDirty(context);
    value = 0.0f;
    if (listener) listener->valueChanged(context, this);
    endEdit();
    return true;
}

} // namespace gui
