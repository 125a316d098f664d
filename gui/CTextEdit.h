// A one-line text field: shown as a display, edited in a platform edit field
// laid over the control. The typed text is committed when Return is pressed
// or the field loses focus, and the listener hears about it only if it changed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gui/CParamDisplay.h"
#include "platform/platform.h"

namespace gui
{

// Text-to-display converters get 256-byte buffers.
using CTextToDisplay = void (*)(char* text, char* displayText);
using CTextToDisplayUserData = void (*)(char* text, char* displayText, void* userData);

class CTextEdit : public CParamDisplay, private platform::EditFieldListener
{
  public:
    static constexpr std::int32_t kMaxTextLength = 255;

    CTextEdit(const CViewRect& size, CControlListener* listener, std::int32_t tag, const char* text = nullptr,
              CBitmap* background = nullptr, std::int32_t style = 0);
    ~CTextEdit() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CViewPoint where, std::int32_t buttons) override;
    // Commits the edit in progress, if any.
    void loseFocus(CDrawContext* context) override;
    // Opens the edit field over the control.
    void takeFocus(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;

    // Null empties the text; longer texts are cut to 255 characters.
    virtual void setText(const char* text);
    // `text` must hold 256 bytes.
    virtual void getText(char* text) const;
    virtual void setTextEditConvert(CTextToDisplayUserData convert, void* userData);
    virtual void setTextEditConvert(CTextToDisplay convert);

    const std::string& text() const { return currentText; }
    bool isEditing() const { return editField != nullptr; }
    bool wasReturnPressed() const { return bWasReturnPressed; }
    // The typed text (UTF-8) of the last commit when the system could not store it: the
    // text stayed as it was, and the listener heard of the commit to say so. Else empty.
    const std::string& getRefusedText() const { return refusedText; }

  private:
    void onEditReturn() override;
    void onEditFocusLost() override;
    std::string displayText();
    platform::Rect fieldArea(CDrawContext* context) const;
    platform::EditFieldStyle fieldStyle(CDrawContext* context) const;
    void commit(CDrawContext* context);

    std::unique_ptr<platform::EditField> editField;
    bool bWasReturnPressed = false;
    // A gesture opened by a click and not yet closed: keeps begin and end edit
    // paired however many times the focus loss arrives.
    bool bGestureOpen = false;
    std::string currentText;
    std::string refusedText;
    CTextToDisplay editConvert = nullptr;
    CTextToDisplayUserData editConvert2 = nullptr;
};

} // namespace gui
