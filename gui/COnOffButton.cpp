#include "gui/COnOffButton.h"

#include <cstring>

namespace gui
{

COnOffButton::COnOffButton(const CViewRect& rect, CControlListener* buttonListener, std::int32_t buttonTag,
                           CBitmap* background, std::int32_t buttonStyle)
    : CControl(rect, buttonListener, buttonTag, background), style(buttonStyle)
{
}

bool COnOffButton::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "COnOffButton") == 0) || CControl::isTypeOf(name);
}

} // namespace gui
