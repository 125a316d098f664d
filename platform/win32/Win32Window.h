// Our child window inside the host's window: a class of our own registered
// once per process, a 32-bit DIB section as the back buffer, painting only
// the invalid region from it, and button and wheel messages turned into the
// platform's events. Keys are not taken: the window never asks for the
// keyboard focus, so they stay with the host and its shortcuts.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/platform.h"

namespace platform::win32
{

class Win32DropTarget;
class Win32Platform;

class Win32Window final : public Window
{
  public:
    // Check created() before use.
    Win32Window(Win32Platform& platform, HWND parent, Size size, WindowListener& listener);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    bool created() const { return window != nullptr; }
    HWND hwnd() const { return window; }

    NativeHandle handle() const override { return window; }
    NativeHandle parent() const override { return parentWindow; }
    Point screenOrigin() const override;
    Size size() const override { return clientSize; }
    bool setSize(Size size) override;
    PixelSpan backBuffer() override;
    void present(const Rect& area) override;
    void setCursor(Cursor cursor) override;
    Cursor cursor() const override { return currentCursor; }
    int32_t popupMenu(const Menu& menu, Point screen, bool trackRight) override;
    std::unique_ptr<EditField> openEditField(const EditFieldStyle& style,
                                             EditFieldListener& listener) override;
    bool setDropTarget(DropListener* listener) override;

    // The name of our window class in this process.
    static std::string className();

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool makeBackBuffer(Size size);
    void freeBackBuffer();
    void paint();
    void pressButton(UINT message, WPARAM wParam, LPARAM lParam);
    bool turnWheel(UINT message, WPARAM wParam, LPARAM lParam); // whether the editor used it
    LRESULT colourEditField(HDC dc, HWND field);
    void destroyedUnderUs();

    Win32Platform& platform;
    WindowListener& listener;
    HWND parentWindow;
    HWND window = nullptr;
    Size clientSize;
    HDC bufferDC = nullptr;
    HBITMAP buffer = nullptr;
    HGDIOBJ bufferDCBitmap = nullptr; // what the memory DC held before
    uint32_t* pixels = nullptr;
    bool painting = false; // inside WM_PAINT: the paint blits the region at its end
    Cursor currentCursor = Cursor::Arrow;
    bool oleReady = false;  // this window's OleInitialize succeeded
    bool classHeld = false; // this window counts as a user of the window class
    Win32DropTarget* dropTarget = nullptr;
};

} // namespace platform::win32
