#include "platform/win32/Win32Platform.h"

#include <algorithm>

#include "platform/native.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32Window.h"

namespace platform
{

std::unique_ptr<Platform> createNativePlatform()
{
    return std::make_unique<win32::Win32Platform>();
}

} // namespace platform

namespace platform::win32
{

namespace
{

HWND windowOf(NativeHandle handle)
{
    return static_cast<HWND>(handle);
}

// Wine answers GetAsyncKeyState from a per-thread copy for up to 50 ms after
// the last real query, so a press may arrive while that copy still says "up".
// For this long after a press message, its button and modifiers count as held.
constexpr DWORD kStaleKeyState = 60;

bool isDown(int virtualKey)
{
    return (::GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

} // namespace

uint32_t currentModifiers()
{
    uint32_t modifiers = 0;
    if (isDown(VK_SHIFT)) modifiers |= kModShift;
    if (isDown(VK_CONTROL)) modifiers |= kModControl;
    if (isDown(VK_MENU)) modifiers |= kModAlt;
    return modifiers;
}

std::unique_ptr<Window> Win32Platform::createChildWindow(NativeHandle parent, Size size,
                                                         WindowListener& listener)
{
    if (!parent || !::IsWindow(windowOf(parent)) || size.width <= 0 || size.height <= 0) return nullptr;
    auto window = std::make_unique<Win32Window>(*this, windowOf(parent), size, listener);
    if (!window->created()) return nullptr;
    return window;
}

PointerState Win32Platform::pointerState()
{
    PointerState state;
    POINT p{};
    if (::GetCursorPos(&p)) state.screen = Point{p.x, p.y};
    // VK_LBUTTON and VK_RBUTTON are the physical buttons: the frame applies
    // the swapped-buttons setting itself.
    if (isDown(VK_LBUTTON)) state.buttons |= kButtonLeft;
    if (isDown(VK_MBUTTON)) state.buttons |= kButtonMiddle;
    if (isDown(VK_RBUTTON)) state.buttons |= kButtonRight;
    state.modifiers = currentModifiers();
    if (pressedButton && ::GetTickCount() - pressTicks < kStaleKeyState)
    {
        state.buttons |= pressedButton;
        state.modifiers |= pressModifiers;
    }
    return state;
}

void Win32Platform::notePress(uint32_t button, uint32_t modifiers)
{
    pressedButton = button;
    pressModifiers = modifiers;
    pressTicks = ::GetTickCount();
}

bool Win32Platform::buttonsSwapped()
{
    return ::GetSystemMetrics(SM_SWAPBUTTON) > 0;
}

uint32_t Win32Platform::ticks()
{
    return ::GetTickCount();
}

void Win32Platform::sleep(uint32_t milliseconds)
{
    ::Sleep(milliseconds);
}

uint32_t Win32Platform::doubleClickTime()
{
    return ::GetDoubleClickTime();
}

bool Win32Platform::dispatchPendingExpose()
{
    // Only our own windows' paint: the host's queue is the host's.
    for (Win32Window* window : windows)
    {
        MSG message{};
        if (window->hwnd() && ::PeekMessageW(&message, window->hwnd(), WM_PAINT, WM_PAINT, PM_REMOVE))
        {
            ::DispatchMessageW(&message);
            return true;
        }
    }
    return false;
}

NativeHandle Win32Platform::parentOf(NativeHandle window)
{
    // The parent in the window tree, not an owner: top-level windows have none.
    const HWND parent = ::GetAncestor(windowOf(window), GA_PARENT);
    return parent && parent != ::GetDesktopWindow() ? parent : nullptr;
}

std::optional<Rect> Win32Platform::windowRect(NativeHandle window)
{
    RECT r{};
    if (!::GetWindowRect(windowOf(window), &r)) return std::nullopt;
    return Rect{r.left, r.top, r.right, r.bottom};
}

std::string Win32Platform::windowClassName(NativeHandle window)
{
    char name[256] = {};
    const int length = ::GetClassNameA(windowOf(window), name, sizeof name);
    return std::string(name, static_cast<size_t>(std::max(length, 0)));
}

bool Win32Platform::hasCaption(NativeHandle window)
{
    const LONG style = ::GetWindowLongA(windowOf(window), GWL_STYLE);
    return (style & WS_CAPTION) == WS_CAPTION;
}

bool Win32Platform::resizeWindow(NativeHandle window, Size size)
{
    if (!window || size.width <= 0 || size.height <= 0) return false;
    return ::SetWindowPos(windowOf(window), nullptr, 0, 0, size.width, size.height,
                          SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

int32_t Win32Platform::dialogFrameHeight()
{
    return ::GetSystemMetrics(SM_CYDLGFRAME);
}

// The DPI Windows gives this process: the monitor's for hosts that declare
// themselves DPI-aware, 96 for the others, which Windows then stretches.
int32_t Win32Platform::desktopScale()
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi >= 192 ? 2 : 1;
}

std::optional<std::string> Win32Platform::chooseFile(const FileChooserRequest& request, Window* owner)
{
    return runFileDialog(request, owner ? static_cast<HWND>(owner->handle()) : nullptr);
}

void Win32Platform::showMessage(const MessageRequest& request)
{
    runMessageBox(request);
}

void Win32Platform::adopt(Win32Window* window)
{
    windows.push_back(window);
}

void Win32Platform::forget(Win32Window* window)
{
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

} // namespace platform::win32
