#include "gui/CParamDisplay.h"

#include <cstdio>
#include <cstring>

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"

namespace gui
{

CParamDisplay::CParamDisplay(const CViewRect& rect, CBitmap* background, std::int32_t displayStyle)
    : CControl(rect, nullptr, 0, background), style(displayStyle)
{
}

bool CParamDisplay::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CParamDisplay") == 0) || CControl::isTypeOf(name);
}

void CParamDisplay::draw(CDrawContext* context)
{
    char text[kTextBufferSize] = {};
    if (stringConvert2)
        stringConvert2(value, text, userData);
    else if (stringConvert)
        stringConvert(value, text);
    else
        std::snprintf(text, sizeof text, "%2.2f", value);
    text[kTextBufferSize - 1] = '\0';
    drawText(context, text);
}

void CParamDisplay::drawText(CDrawContext* context, const char* text)
{
    setDirty(false);
    if ((style & kNoDrawStyle) || !context) return;
    drawBackground(context);
    if (style & (k3DIn | k3DOut)) draw3DFrame(context);
    if (!(style & kNoTextStyle) && text && text[0] != '\0') drawLabel(context, text);
}

void CParamDisplay::drawBackground(CDrawContext* context)
{
    if (backgroundBitmap)
    {
        if (transparencyEnabled)
            backgroundBitmap->drawTransparent(context, size, backOffset);
        else
            backgroundBitmap->draw(context, size, backOffset);
        return;
    }
    if (transparencyEnabled) return;
    context->setFillColor(backColor);
    context->fillRect(size);
    if (!(style & (kNoFrame | k3DIn | k3DOut)))
    {
        context->setFrameColor(frameColor);
        context->drawRect(size);
    }
}

void CParamDisplay::draw3DFrame(CDrawContext* context)
{
    const bool sunken = (style & k3DIn) != 0;
    const std::int32_t l = size.left;
    const std::int32_t t = size.top + 1;
    const std::int32_t r = size.right - 1;
    const std::int32_t b = size.bottom - 1;
    context->setLineWidth(1);
    context->setFrameColor(sunken ? backColor : frameColor);
    context->moveTo(CViewPoint{l, b});
    context->lineTo(CViewPoint{l, t});
    context->lineTo(CViewPoint{r, t});
    context->setFrameColor(sunken ? frameColor : backColor);
    context->moveTo(CViewPoint{r, t});
    context->lineTo(CViewPoint{r, b});
    context->lineTo(CViewPoint{l, b});
}

void CParamDisplay::drawLabel(CDrawContext* context, const char* text)
{
    CViewRect oldClip;
    context->getClipRect(oldClip);
    CViewRect clip = size;
    clip.bound(oldClip);
    context->setClipRect(clip);
    context->setFont(fontID, txtFace);
    const bool opaque = !textTransparencyEnabled;
    // Opaque text is backed by the fill colour; make that the display's own.
    if (opaque) context->setFillColor(backColor);
    if (style & kShadowText)
    {
        context->setFontColor(shadowColor);
        context->drawString(text, size.offsetBy(1, 1), opaque, horiTxtAlign);
    }
    context->setFontColor(fontColor);
    context->drawString(text, size, opaque, horiTxtAlign);
    context->setClipRect(oldClip);
}

void CParamDisplay::setFont(std::int32_t fontId)
{
    if (fontID != fontId)
    {
        fontID = fontId;
        setDirty();
    }
}

void CParamDisplay::setFontColor(const CViewColor& color)
{
    if (!(fontColor == color))
    {
        fontColor = color;
        setDirty();
    }
}

void CParamDisplay::setBackColor(const CViewColor& color)
{
    if (!(backColor == color))
    {
        backColor = color;
        setDirty();
    }
}

void CParamDisplay::setFrameColor(const CViewColor& color)
{
    if (!(frameColor == color))
    {
        frameColor = color;
        setDirty();
    }
}

void CParamDisplay::setShadowColor(const CViewColor& color)
{
    if (!(shadowColor == color))
    {
        shadowColor = color;
        setDirty();
    }
}

void CParamDisplay::setHoriAlign(std::int32_t align)
{
    if (horiTxtAlign != align)
    {
        horiTxtAlign = align;
        setDirty();
    }
}

void CParamDisplay::setStringConvert(CValueToStringUserData convert, void* data)
{
    stringConvert2 = convert;
    userData = data;
}

void CParamDisplay::setStringConvert(CValueToString convert)
{
    stringConvert = convert;
}

void CParamDisplay::setString2FloatConvert(CStringToValue convert)
{
    string2FloatConvert = convert;
}

void CParamDisplay::setStyle(std::int32_t newStyle)
{
    if (style != newStyle)
    {
        style = newStyle;
        setDirty();
    }
}

void CParamDisplay::setTxtFace(std::int32_t styleBits)
{
    if (txtFace != styleBits)
    {
        txtFace = styleBits;
        setDirty();
    }
}

} // namespace gui
