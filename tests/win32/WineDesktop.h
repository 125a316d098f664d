// A stand-in host on a Windows desktop (Wine on a private Xvfb in CI): a
// top-level window to embed the editor in, a message loop that idles the
// editor as a DAW's user-interface thread does, the user played through
// SendInput from a second thread, and the screen read back.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace winhost
{

inline void pause(int ms)
{
    ::Sleep(static_cast<DWORD>(ms));
}

struct Point
{
    int x = 0;
    int y = 0;
};

// A borderless top-level window whose client starts at (left, top) on the screen.
class HostWindow
{
  public:
    HostWindow(int left, int top, int width, int height)
    {
        static const ATOM registered = []
        {
            WNDCLASSA description{};
            description.lpfnWndProc = ::DefWindowProcA;
            description.hInstance = ::GetModuleHandleA(nullptr);
            description.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
            description.lpszClassName = "AmberlitTestHost";
            return ::RegisterClassA(&description);
        }();
        (void)registered;
        handle =
            ::CreateWindowExA(0, "AmberlitTestHost", "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, left,
                              top, width, height, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ::SetForegroundWindow(handle);
        ::SetFocus(handle);
    }
    ~HostWindow()
    {
        if (handle) ::DestroyWindow(handle);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND handle = nullptr;
};

// Delivers the thread's messages as a host's loop does.
inline void pumpMessages()
{
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

// Pumps messages and calls `idle` about every 10 ms for `ms` milliseconds.
inline void runFor(int ms, const std::function<void()>& idle)
{
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(ms);
    while (static_cast<int32_t>(end - ::GetTickCount()) > 0)
    {
        pumpMessages();
        idle();
        pause(10);
    }
}

// Runs `act` on a second thread (the user) while this one goes on as the host.
inline void asUser(const std::function<void()>& act, const std::function<void()>& idle)
{
    std::atomic<bool> done{false};
    std::thread user(
        [&]
        {
            pause(30);
            act();
            done = true;
        });
    while (!done.load())
    {
        pumpMessages();
        idle();
        pause(5);
    }
    user.join();
    runFor(150, idle);
}

// --- The user ----------------------------------------------------------------

inline void send(INPUT input)
{
    ::SendInput(1, &input, sizeof input);
}

inline void moveTo(Point at)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Absolute positions run over 0..65535 across the primary screen.
    input.mi.dx = at.x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = at.y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    send(input);
}

inline void leftButton(bool down)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    send(input);
}

inline void key(WORD virtualKey, bool down)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    send(input);
}

inline void tap(WORD virtualKey)
{
    key(virtualKey, true);
    pause(20);
    key(virtualKey, false);
    pause(20);
}

inline void click(Point at, int holdMs = 60)
{
    moveTo(at);
    pause(40);
    leftButton(true);
    pause(holdMs);
    leftButton(false);
    pause(60);
}

// Letters, digits and blanks, typed key by key.
inline void type(const std::string& text)
{
    for (char c : text)
    {
        const bool upper = c >= 'A' && c <= 'Z';
        if (upper) key(VK_SHIFT, true);
        tap(static_cast<WORD>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
        if (upper) key(VK_SHIFT, false);
    }
}

// A vertical drag in ten steps, the button held throughout.
inline void drag(Point from, int dy)
{
    moveTo(from);
    pause(40);
    leftButton(true);
    pause(80);
    for (int step = 1; step <= 10; ++step)
    {
        moveTo(Point{from.x, from.y + dy * step / 10});
        pause(20);
    }
    pause(80);
    leftButton(false);
}

// --- The screen -----------------------------------------------------------------

// The screen's pixels in a rectangle, 0xRRGGBB row by row.
inline std::vector<uint32_t> grabScreen(int left, int top, int width, int height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap)
    {
        const HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
        ::GdiFlush();
        const auto* source = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = source[i] & 0xFFFFFF;
        ::SelectObject(memory, old);
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// A top-level window of this process with exactly this title, waited for.
inline HWND waitForWindow(const char* title, int ms = 3000)
{
    for (int waited = 0; waited < ms; waited += 20)
    {
        if (HWND found = ::FindWindowA(nullptr, title)) return found;
        pause(20);
    }
    return nullptr;
}

} // namespace winhost
