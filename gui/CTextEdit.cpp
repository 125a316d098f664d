#include "gui/CTextEdit.h"

#include <cstring>

#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "platform/TextEncoding.h"
#include "raster/CFontTable.h"

namespace gui
{

namespace
{
std::string cappedText(const char* text)
{
    std::string s = text ? text : "";
    if (s.size() > static_cast<std::size_t>(CTextEdit::kMaxTextLength)) s.resize(CTextEdit::kMaxTextLength);
    return s;
}

std::uint32_t argbOf(const CViewColor& c)
{
    // Alpha is ignored by every colour operation: the field is always opaque.
    return 0xFF000000u | (std::uint32_t(c.red) << 16) | (std::uint32_t(c.green) << 8) | std::uint32_t(c.blue);
}
} // namespace

CTextEdit::CTextEdit(const CViewRect& rect, CControlListener* editListener, std::int32_t editTag,
                     const char* text, CBitmap* background, std::int32_t editStyle)
    : CParamDisplay(rect, background, editStyle), currentText(cappedText(text))
{
    listener = editListener;
    tag = editTag;
    setWantsFocus(true);
}

// An open field is closed without a commit: the view is going away.
CTextEdit::~CTextEdit() = default;

bool CTextEdit::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CTextEdit") == 0) || CParamDisplay::isTypeOf(name);
}

void CTextEdit::setText(const char* text)
{
    const std::string next = cappedText(text);
    if (next == currentText) return;
    currentText = next;
    setDirty();
}

void CTextEdit::getText(char* text) const
{
    if (!text) return;
    std::memcpy(text, currentText.c_str(), currentText.size() + 1);
}

void CTextEdit::setTextEditConvert(CTextToDisplayUserData convert, void* data)
{
    editConvert2 = convert;
    userData = data;
}

void CTextEdit::setTextEditConvert(CTextToDisplay convert)
{
    editConvert = convert;
}

std::string CTextEdit::displayText()
{
    char source[kTextBufferSize] = {};
    char shown[kTextBufferSize] = {};
    std::memcpy(source, currentText.c_str(), currentText.size() + 1);
    if (editConvert2)
        editConvert2(source, shown, userData);
    else if (editConvert)
        editConvert(source, shown);
    else if (stringConvert2 || stringConvert)
    {
        // The value converters write the stored text itself.
        if (stringConvert2)
            stringConvert2(value, source, userData);
        else
            stringConvert(value, source);
        source[kTextBufferSize - 1] = '\0';
        currentText = cappedText(source);
        return currentText;
    }
    else
        return currentText;
    shown[kTextBufferSize - 1] = '\0';
    return shown;
}

void CTextEdit::draw(CDrawContext* context)
{
    // The platform field covers the control while editing.
    if (!editField) drawText(context, displayText().c_str());
    setDirty(false);
}

void CTextEdit::mouse(CDrawContext* context, CViewPoint where, std::int32_t buttons)
{
    if (!takesMouse) return;
    buttons = resolveButtons(context, buttons);
    if (offerModifierClick(context, buttons)) return;
    if (!(buttons & buttonLeft)) return;
    if (parentFrame && parentFrame->getFocusView() == this) return;

    if (style & kDoubleClickStyle)
    {
        const std::int64_t now = parentFrame ? parentFrame->getTicks() : 0;
        if (lastTicks < 1 || now >= std::int64_t(lastTicks) + getDoubleClickDelay())
        {
            lastTicks = static_cast<std::int32_t>(now);
            return;
        }
        lastTicks = 0;
    }
    beginEdit();
    gestureOpen = true;
    takeFocus(context);
}

platform::Rect CTextEdit::fieldArea(CDrawContext* context) const
{
    CViewRect area = size;
    for (CView* parent = parentView;
         parent && parent->notify(const_cast<CTextEdit*>(this), kMsgCheckIfViewContainer) == 1;
         parent = parent->getParentView())
    {
        const CViewPoint origin = parent->getViewSize().topLeft();
        area.offset(origin.h, origin.v);
    }
    if (context) area.offset(context->offset.h, context->offset.v);
    // The native field lives in the window's device pixels.
    const std::int32_t scale = parentFrame ? parentFrame->getScale() : 1;
    return platform::Rect{area.left * scale, area.top * scale, area.right * scale, area.bottom * scale};
}

platform::EditFieldStyle CTextEdit::fieldStyle(CDrawContext* context) const
{
    static constexpr platform::TextAlign kAligns[] = {platform::TextAlign::Left, platform::TextAlign::Center,
                                                      platform::TextAlign::Right};
    const CFontDescription& font = kFontTable[static_cast<std::size_t>(normalisedFontId(fontID))];
    platform::EditFieldStyle fieldStyle;
    fieldStyle.area = fieldArea(context);
    fieldStyle.text = platform::storedTextToUtf8(currentText);
    fieldStyle.align =
        horiTxtAlign >= 0 && horiTxtAlign <= 2 ? kAligns[horiTxtAlign] : platform::TextAlign::Left;
    fieldStyle.fontFace = font.face;
    fieldStyle.fontHeight = font.height;
    fieldStyle.scale = parentFrame ? parentFrame->getScale() : 1;
    fieldStyle.bold = false; // the field always edits in the normal weight
    fieldStyle.textColor = argbOf(fontColor);
    fieldStyle.backColor = argbOf(backColor);
    fieldStyle.maxLength = kMaxTextLength;
    return fieldStyle;
}

void CTextEdit::takeFocus(CDrawContext* context)
{
    returnPressed = false;
    if (editField || !parentFrame || !parentFrame->getOwnWindow()) return;
    editField = parentFrame->getOwnWindow()->openEditField(fieldStyle(context), *this);
}

void CTextEdit::onEditReturn()
{
    returnPressed = true;
    loseFocus(nullptr);
}

void CTextEdit::onEditFocusLost()
{
    loseFocus(nullptr);
}

void CTextEdit::loseFocus(CDrawContext* context)
{
    if (gestureOpen)
    {
        gestureOpen = false;
        endEdit();
    }
    // Clearing the frame's focus calls back into here and commits there.
    if (parentFrame && parentFrame->getFocusView() == this) parentFrame->setFocusView(nullptr);
    if (editField) commit(context);
}

void CTextEdit::commit(CDrawContext* context)
{
    const std::string oldText = currentText;
    const std::string typed = editField->text();
    const std::optional<std::string> stored = platform::utf8ToStoredText(typed);
    refusedText = stored ? std::string() : typed;
    if (stored) currentText = cappedText(stored->c_str());
    editField.reset();
    const bool changed = currentText != oldText || !refusedText.empty();

    if (context)
        context->retain();
    else if (parentFrame)
        context = new CDrawContext(parentFrame, nullptr, parentFrame->getOwnWindow());
    if (changed && listener)
    {
        // The listener may draw: give it the parent's origin in frame coordinates.
        CViewPoint origin;
        if (parentView) parentView->localToFrame(origin);
        const CViewPoint savedOffset = context ? context->offset : CViewPoint{};
        if (context) context->offset = origin;
        listener->valueChanged(context, this);
        if (context) context->offset = savedOffset;
    }
    if (context) context->release();
    setDirty();
    if (changed) doIdleStuff();

    CView* target = parentView ? parentView : static_cast<CView*>(parentFrame);
    if (target) target->notify(this, kMsgLooseFocus);
}

} // namespace gui
