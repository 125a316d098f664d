#include "gui/CKickButton.h"

#include <cstring>

namespace gui
{

CKickButton::CKickButton(const CViewRect& rect, CControlListener* buttonListener, std::int32_t buttonTag,
                         CBitmap* background)
    : CControl(rect, buttonListener, buttonTag, background)
{
}

bool CKickButton::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CKickButton") == 0) || CControl::isTypeOf(name);
}

} // namespace gui
