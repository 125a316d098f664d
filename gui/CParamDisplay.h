// A control that shows its value as one line of text, through a converter of
// the owner's choice, with optional frame, 3-D border and shadow. The text
// drawing is shared by the option menu and the text edit.
#pragma once

#include <cstdint>

#include "gui/CControl.h"

namespace gui
{

// Style bits of displays, text edits and option menus.
enum CParamDisplayStyle : std::int32_t
{
    kCheckStyle = 0x0001, // option menu: every entry toggles its own mark
    kShadowText = 0x0004,
    k3DIn = 0x0080,              // sunken 3-D frame
    k3DOut = 0x0100,             // raised 3-D frame
    kPopupStyle = 0x0200,        // option menu: opens at the control's top
    kCheckCurrentStyle = 0x0400, // option menu: mark on the current entry
    kNoTextStyle = 0x0800,
    kNoDrawStyle = 0x1000,      // not even the background
    kDoubleClickStyle = 0x2000, // text edit: opens on a double click only
    kNoFrame = 0x4000,
};

// Converters get a 256-byte buffer and must leave a terminated string of at
// most 255 characters in it.
using CValueToString = void (*)(float value, char* text);
using CValueToStringUserData = void (*)(float value, char* text, void* userData);
using CStringToValue = void (*)(char* text, float& value, void* userData);

inline constexpr std::int32_t kTextBufferSize = 256;

class CParamDisplay : public CControl
{
  public:
    CParamDisplay(const CViewRect& size, CBitmap* background = nullptr, std::int32_t style = 0);

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;

    virtual void setFont(std::int32_t fontId);
    virtual void setFontColor(const CViewColor& color);
    virtual void setBackColor(const CViewColor& color);
    virtual void setFrameColor(const CViewColor& color);
    virtual void setShadowColor(const CViewColor& color);
    virtual void setHoriAlign(std::int32_t align);
    virtual void setStringConvert(CValueToStringUserData convert, void* userData);
    virtual void setStringConvert(CValueToString convert);
    virtual void setString2FloatConvert(CStringToValue convert);
    virtual void setStyle(std::int32_t newStyle);
    virtual void setTxtFace(std::int32_t styleBits);
    virtual void setTextTransparency(bool transparent) { textTransparencyEnabled = transparent; }

    std::int32_t getFont() const { return fontID; }
    CViewColor getFontColor() const { return fontColor; }
    CViewColor getBackColor() const { return backColor; }
    CViewColor getFrameColor() const { return frameColor; }
    CViewColor getShadowColor() const { return shadowColor; }
    std::int32_t getHoriAlign() const { return horiTxtAlign; }
    std::int32_t getStyle() const { return style; }
    std::int32_t getTxtFace() const { return txtFace; }
    bool getTextTransparency() const { return textTransparencyEnabled; }

    // Background, frame and then `text` (null: background only); clears the
    // dirty state.
    void drawText(CDrawContext* context, const char* text);

  protected:
    void drawBackground(CDrawContext* context);
    void draw3DFrame(CDrawContext* context);
    void drawLabel(CDrawContext* context, const char* text);

    CValueToString stringConvert = nullptr;
    CValueToStringUserData stringConvert2 = nullptr;
    CStringToValue string2FloatConvert = nullptr;
    void* userData = nullptr;
    std::int32_t horiTxtAlign = 1; // 0 left, 1 centre, 2 right
    std::int32_t style = 0;
    std::int32_t fontID = 3;
    std::int32_t txtFace = 0;
    CViewColor fontColor = kWhiteCColor;
    CViewColor backColor = kBlackCColor;
    CViewColor frameColor = kBlackCColor;
    CViewColor shadowColor = kRedCColor;
    bool textTransparencyEnabled = true;
};

} // namespace gui
