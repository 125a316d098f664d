// The name field's native edit control: a child of our window over the
// control, in the table's face and colours (answered to the parent's colour
// request), all text selected, keyboard focus taken while it is open and
// handed back when it closes. Return and the loss of focus reach the
// listener; Escape is only reported, as on Linux.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace platform::win32
{

class Win32EditField final : public EditField
{
  public:
    Win32EditField(HWND parent, const EditFieldStyle& style, EditFieldListener& listener);
    ~Win32EditField() override;
    Win32EditField(const Win32EditField&) = delete;
    Win32EditField& operator=(const Win32EditField&) = delete;

    bool created() const { return field != nullptr; }
    std::string text() const override;

    // The field object behind an edit window of ours; null for any other window.
    static Win32EditField* fromWindow(HWND window);
    // Answers the parent's colour request: the brush to paint the field with.
    HBRUSH colour(HDC dc);

  private:
    static LRESULT CALLBACK fieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    EditFieldListener& listener;
    HWND field = nullptr;
    WNDPROC editProc = nullptr; // the edit class's own procedure, which ours wraps
    HFONT font = nullptr;
    HBRUSH brush = nullptr;
    COLORREF textColor = 0;
    COLORREF backColor = 0;
    HWND previousFocus = nullptr;
    mutable std::string lastText; // the text when the window went away with its parent
};

} // namespace platform::win32
