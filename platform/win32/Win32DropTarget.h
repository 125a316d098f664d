// Drops from other applications through OLE: the frame window's IDropTarget.
// The dragged data is read once on enter (file list first, then text) and
// handed to the listener with every event; the pointer is given in the
// window's client coordinates. The answer is copy while there is data the
// listener wants, never move: a source must not delete what we may not have
// taken.
#pragma once

#include <ole2.h>

#include <atomic>

#include "platform/platform.h"

namespace platform::win32
{

// COM interfaces are released through Release, never deleted through a base
// pointer: their lack of a virtual destructor is by design.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Win32DropTarget final : public IDropTarget
{
  public:
    // Starts with one reference, the creator's. `window` is the one it is registered for.
    Win32DropTarget(DropListener& listener, HWND window);
    Win32DropTarget(const Win32DropTarget&) = delete;
    Win32DropTarget& operator=(const Win32DropTarget&) = delete;

    // The listener is going away: later events do nothing.
    void detach() { listener = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

  private:
    ~Win32DropTarget() = default;
    Point clientPoint(POINTL screen) const;
    DWORD answer(DWORD allowed, bool wanted) const;

    std::atomic<ULONG> references{1};
    DropListener* listener;
    bool dragging = false; // between enter and leave or drop
    DragData data;
    HWND window;
};
#pragma GCC diagnostic pop

// What a data object carries that we can take: its file list, else its text.
DragData readDragData(IDataObject* object);

} // namespace platform::win32
