#include "platform/win32/Win32EditField.h"

#include <vector>

#include "platform/win32/WideText.h"
#include "raster/GdiFonts.h"

namespace platform::win32
{

namespace
{

COLORREF colorRefOf(uint32_t argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

DWORD alignmentStyle(TextAlign align)
{
    switch (align)
    {
    case TextAlign::Center:
        return ES_CENTER;
    case TextAlign::Right:
        return ES_RIGHT;
    default:
        return ES_LEFT;
    }
}

// Marks our edit windows among the parent's children.
constexpr LONG_PTR kFieldTag = 0x414D4C54; // "AMLT"

} // namespace

Win32EditField::Win32EditField(HWND parent, const EditFieldStyle& style, EditFieldListener& listenerArg)
    : listener(listenerArg), textColor(colorRefOf(style.textColor)), backColor(colorRefOf(style.backColor))
{
    const DWORD windowStyle = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | alignmentStyle(style.align);
    field = ::CreateWindowExW(
        0, L"EDIT", wideOf(style.text).c_str(), windowStyle, style.area.left, style.area.top,
        style.area.width(), style.area.height(), parent, reinterpret_cast<HMENU>(kFieldTag),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (!field) return;
    ::SetWindowLongPtrW(field, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    editProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32EditField::fieldProc)));
    font = gui::createGdiFont(style.fontFace.c_str(), style.fontHeight * style.scale, style.bold,
                              style.italic, false, false);
    if (font) ::SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(field, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                   MAKELPARAM(EC_USEFONTINFO, EC_USEFONTINFO));
    ::SendMessageW(field, EM_LIMITTEXT, static_cast<WPARAM>(style.maxLength), 0);
    ::SendMessageW(field, EM_SETSEL, 0, -1);
    previousFocus = ::SetFocus(field);
}

Win32EditField::~Win32EditField()
{
    if (field)
    {
        lastText = text();
        // Closing calls nobody: the edit class alone sees the messages of its going.
        ::SetWindowLongPtrW(field, GWLP_USERDATA, 0);
        ::SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc));
        // The keyboard goes back where it was, unless the user moved it on.
        if (::GetFocus() == field && previousFocus && ::IsWindow(previousFocus)) ::SetFocus(previousFocus);
        ::DestroyWindow(field);
    }
    if (font) ::DeleteObject(font);
    if (brush) ::DeleteObject(brush);
}

std::string Win32EditField::text() const
{
    if (!field) return lastText;
    const int length = ::GetWindowTextLengthW(field);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(field, buffer.data(), length + 1);
    return utf8Of(std::wstring_view(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0)));
}

Win32EditField* Win32EditField::fromWindow(HWND window)
{
    if (!window || ::GetWindowLongPtrW(window, GWLP_ID) != kFieldTag) return nullptr;
    return reinterpret_cast<Win32EditField*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

HBRUSH Win32EditField::colour(HDC dc)
{
    ::SetTextColor(dc, textColor);
    ::SetBkColor(dc, backColor);
    if (!brush) brush = ::CreateSolidBrush(backColor);
    return brush;
}

LRESULT CALLBACK Win32EditField::fieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Win32EditField*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) return self->handleMessage(message, wParam, lParam);
    return ::DefWindowProcW(hwnd, message, wParam, lParam); // after its last message: never in practice
}

LRESULT Win32EditField::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS; // a dialog host must not take Return or Tab from us
    case WM_KEYDOWN:
        if (wParam == VK_RETURN)
        {
            listener.onEditReturn(); // may destroy this field: nothing after it
            return 0;
        }
        if (wParam == VK_ESCAPE)
        {
            listener.onEditEscape();
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == '\r' || wParam == 0x1B) return 0; // no beep for the keys handled above
        break;
    case WM_KILLFOCUS:
    {
        const LRESULT result = ::CallWindowProcW(editProc, field, message, wParam, lParam);
        listener.onEditFocusLost(); // may destroy this field: nothing after it
        return result;
    }
    case WM_NCDESTROY:
    {
        // Gone with its parent before we closed it: keep what was typed.
        lastText = text();
        const HWND window = field;
        field = nullptr;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return ::CallWindowProcW(editProc, window, message, wParam, lParam);
    }
    default:
        break;
    }
    return ::CallWindowProcW(editProc, field, message, wParam, lParam);
}

} // namespace platform::win32
