#include "platform/win32/Win32Window.h"

#include <ole2.h>
#include <windowsx.h>

#include <cstdio>
#include <mutex>

#include "platform/win32/Module.h"
#include "platform/win32/Win32DropTarget.h"
#include "platform/win32/Win32EditField.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32PopupMenu.h"

namespace platform::win32
{

namespace
{

constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

HINSTANCE ownInstance()
{
    // A program that links the code without loading it as a DLL has no
    // module handle of its own: the program's stands in.
    const auto module = static_cast<HINSTANCE>(moduleInstance());
    return module ? module : ::GetModuleHandleW(nullptr);
}

HCURSOR cursorHandle(Cursor cursor)
{
    // Resource numbers of the system cursors, in the order of Cursor.
    static constexpr WORD kShapes[] = {32512, 32514, 32644, 32645, 32646, 32643, 32642, 32648, 32649};
    const auto index = static_cast<size_t>(cursor);
    return ::LoadCursorW(nullptr, MAKEINTRESOURCEW(index < std::size(kShapes) ? kShapes[index] : kShapes[0]));
}

// The window class, shared by every frame of the process: registered by the
// first, unregistered by the last.
struct WindowClass
{
    std::mutex mutex;
    int users = 0;
    std::string name;
};

WindowClass& windowClass()
{
    static WindowClass shared;
    return shared;
}

bool acquireClass(WNDPROC procedure)
{
    WindowClass& shared = windowClass();
    std::lock_guard lock(shared.mutex);
    if (shared.users > 0)
    {
        ++shared.users;
        return true;
    }
    char name[32];
    std::snprintf(name, sizeof name, "Plugin%p", static_cast<void*>(ownInstance()));
    WNDCLASSA description{};
    description.style = CS_GLOBALCLASS; // no CS_DBLCLKS: the knobs time double clicks themselves
    description.lpfnWndProc = procedure;
    description.hInstance = ownInstance();
    description.hCursor = cursorHandle(Cursor::Arrow);
    description.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    description.lpszClassName = name;
    if (!::RegisterClassA(&description)) return false;
    shared.name = name;
    shared.users = 1;
    return true;
}

void releaseClass()
{
    WindowClass& shared = windowClass();
    std::lock_guard lock(shared.mutex);
    if (shared.users == 0 || --shared.users > 0) return;
    ::UnregisterClassA(shared.name.c_str(), ownInstance());
}

uint32_t modifiersOf(WPARAM keys)
{
    uint32_t modifiers = 0;
    if (keys & MK_SHIFT) modifiers |= kModShift;
    if (keys & MK_CONTROL) modifiers |= kModControl;
    if (::GetKeyState(VK_MENU) < 0) modifiers |= kModAlt;
    return modifiers;
}

} // namespace

std::string Win32Window::className()
{
    WindowClass& shared = windowClass();
    std::lock_guard lock(shared.mutex);
    return shared.users > 0 ? shared.name : std::string();
}

Win32Window::Win32Window(Win32Platform& platformArg, HWND parentArg, Size size, WindowListener& listenerArg)
    : platform(platformArg), listener(listenerArg), parentWindow(parentArg), clientSize(size)
{
    // Drag and drop needs OLE on this thread; a host that chose another
    // apartment model keeps it, and we go without drops.
    const HRESULT ole = ::OleInitialize(nullptr);
    oleReady = SUCCEEDED(ole);
    if (!makeBackBuffer(size)) return;
    classHeld = acquireClass(&Win32Window::windowProc);
    if (!classHeld) return;
    const std::string name = className();
    window = ::CreateWindowExA(0, name.c_str(), "Window", kChildStyle, 0, 0, size.width, size.height,
                               parentWindow, nullptr, ownInstance(), this);
    if (window) platform.adopt(this);
}

Win32Window::~Win32Window()
{
    setDropTarget(nullptr);
    if (window)
    {
        // Messages that come while it goes find no window object.
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        ::DestroyWindow(window);
        window = nullptr;
    }
    if (classHeld) releaseClass();
    freeBackBuffer();
    platform.forget(this);
    if (oleReady) ::OleUninitialize();
}

bool Win32Window::makeBackBuffer(Size size)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = -size.height; // top-down rows, as our surfaces
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32; // 0x00RRGGBB in memory order: our pixel format
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return false;
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (!dc)
    {
        ::DeleteObject(bitmap);
        return false;
    }
    freeBackBuffer();
    buffer = bitmap;
    bufferDC = dc;
    bufferDCBitmap = ::SelectObject(bufferDC, buffer);
    pixels = static_cast<uint32_t*>(bits);
    clientSize = size;
    return true;
}

void Win32Window::freeBackBuffer()
{
    if (bufferDC)
    {
        ::SelectObject(bufferDC, bufferDCBitmap);
        ::DeleteDC(bufferDC);
    }
    if (buffer) ::DeleteObject(buffer);
    bufferDC = nullptr;
    buffer = nullptr;
    bufferDCBitmap = nullptr;
    pixels = nullptr;
}

Point Win32Window::screenOrigin() const
{
    POINT origin{0, 0};
    if (window) ::ClientToScreen(window, &origin);
    return Point{origin.x, origin.y};
}

bool Win32Window::setSize(Size size)
{
    if (!window || size.width <= 0 || size.height <= 0) return false;
    if (!::SetWindowPos(window, nullptr, 0, 0, size.width, size.height,
                        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))
        return false;
    // Even when a new buffer cannot be had, the old one keeps working at its size.
    return makeBackBuffer(size);
}

PixelSpan Win32Window::backBuffer()
{
    if (!pixels) return {};
    return PixelSpan{pixels, clientSize.width, clientSize.height, clientSize.width};
}

void Win32Window::present(const Rect& area)
{
    if (painting || !window || !bufferDC || area.empty()) return;
    HDC dc = ::GetDC(window);
    if (!dc) return;
    ::BitBlt(dc, area.left, area.top, area.width(), area.height(), bufferDC, area.left, area.top, SRCCOPY);
    ::ReleaseDC(window, dc);
}

void Win32Window::setCursor(Cursor cursor)
{
    currentCursor = cursor;
    POINT p{};
    if (window && ::GetCursorPos(&p) && ::WindowFromPoint(p) == window) ::SetCursor(cursorHandle(cursor));
}

int32_t Win32Window::popupMenu(const Menu& menu, Point screen, bool trackRight)
{
    return window ? runPopupMenu(window, menu, screen, trackRight) : -1;
}

std::unique_ptr<EditField> Win32Window::openEditField(const EditFieldStyle& style,
                                                      EditFieldListener& fieldListener)
{
    if (!window) return nullptr;
    auto field = std::make_unique<Win32EditField>(window, style, fieldListener);
    if (!field->created()) return nullptr;
    return field;
}

bool Win32Window::setDropTarget(DropListener* dropListener)
{
    if (dropTarget)
    {
        if (window) ::RevokeDragDrop(window);
        dropTarget->detach();
        dropTarget->Release();
        dropTarget = nullptr;
    }
    if (!dropListener) return true;
    if (!window || !oleReady) return false;
    auto* target = new Win32DropTarget(*dropListener, window); // holds our reference
    if (::RegisterDragDrop(window, target) != S_OK)
    {
        target->detach();
        target->Release();
        return false;
    }
    dropTarget = target;
    return true;
}

LRESULT CALLBACK Win32Window::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCCREATE) self->window = hwnd;
    return self->handleMessage(message, wParam, lParam);
}

LRESULT Win32Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // the paint covers every pixel: erasing first would only flicker
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
        pressButton(message, wParam, lParam);
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        if (turnWheel(message, wParam, lParam)) return 0;
        break; // the default hands it to the parent: the host may scroll with it
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT)
        {
            ::SetCursor(cursorHandle(currentCursor));
            return TRUE;
        }
        break;
    case WM_CTLCOLOREDIT:
        return colourEditField(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DESTROY:
        destroyedUnderUs(); // may delete this object: nothing after it
        return 0;
    default:
        break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void Win32Window::paint()
{
    PAINTSTRUCT ps{};
    HDC dc = ::BeginPaint(window, &ps);
    if (!dc) return;
    const RECT& r = ps.rcPaint;
    if (r.right > r.left && r.bottom > r.top && bufferDC)
    {
        // The frame composes the region in the back buffer; one blit shows it.
        painting = true;
        listener.onExpose(ExposeEvent{Rect{r.left, r.top, r.right, r.bottom}});
        painting = false;
        ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, bufferDC, r.left, r.top, SRCCOPY);
    }
    ::EndPaint(window, &ps);
}

void Win32Window::pressButton(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The message names the logical button; events carry the physical one,
    // as the polled state does.
    const bool swapped = ::GetSystemMetrics(SM_SWAPBUTTON) > 0;
    uint32_t button = kButtonMiddle;
    if (message == WM_LBUTTONDOWN) button = swapped ? kButtonRight : kButtonLeft;
    if (message == WM_RBUTTONDOWN) button = swapped ? kButtonLeft : kButtonRight;
    const uint32_t modifiers = modifiersOf(wParam);
    platform.notePress(button, modifiers);
    listener.onButtonPress(ButtonEvent{Point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, button, modifiers});
}

bool Win32Window::turnWheel(UINT message, WPARAM wParam, LPARAM lParam)
{
    POINT where{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; // screen coordinates
    ::ScreenToClient(window, &where);
    const float notches = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
    return listener.onWheelUsed(WheelEvent{Point{where.x, where.y}, notches, message == WM_MOUSEHWHEEL,
                                           modifiersOf(GET_KEYSTATE_WPARAM(wParam))});
}

LRESULT Win32Window::colourEditField(HDC dc, HWND field)
{
    if (Win32EditField* edit = Win32EditField::fromWindow(field))
        return reinterpret_cast<LRESULT>(edit->colour(dc));
    return ::DefWindowProcA(window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(field));
}

void Win32Window::destroyedUnderUs()
{
    // The host destroyed its window with ours inside, before closing the editor.
    setDropTarget(nullptr);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    window = nullptr;
    platform.forget(this);
    listener.onDestroyed();
}

} // namespace platform::win32
