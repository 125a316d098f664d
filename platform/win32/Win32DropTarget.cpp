#include "platform/win32/Win32DropTarget.h"

#include <shellapi.h>

#include <vector>

#include "platform/win32/WideText.h"

namespace platform::win32
{

namespace
{

std::vector<std::string> readFiles(IDataObject* object)
{
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    std::vector<std::string> files;
    if (object->GetData(&format, &medium) != S_OK) return files;
    if (auto drop = static_cast<HDROP>(::GlobalLock(medium.hGlobal)))
    {
        const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i)
        {
            std::wstring name(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
            name.resize(::DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
            if (!name.empty()) files.push_back(utf8Of(name));
        }
        ::GlobalUnlock(medium.hGlobal);
    }
    ::ReleaseStgMedium(&medium);
    return files;
}

std::string readText(IDataObject* object)
{
    FORMATETC format{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    std::string text;
    if (object->GetData(&format, &medium) != S_OK) return text;
    if (const auto* wide = static_cast<const wchar_t*>(::GlobalLock(medium.hGlobal)))
    {
        // The block may be larger than the text, and its end is not promised.
        const size_t capacity = ::GlobalSize(medium.hGlobal) / sizeof(wchar_t);
        size_t length = 0;
        while (length < capacity && wide[length] != L'\0')
            ++length;
        text = utf8Of(std::wstring_view(wide, length));
        ::GlobalUnlock(medium.hGlobal);
    }
    ::ReleaseStgMedium(&medium);
    return text;
}

} // namespace

DragData readDragData(IDataObject* object)
{
    DragData data;
    if (!object) return data;
    data.files = readFiles(object);
    if (data.files.empty()) data.text = readText(object);
    return data;
}

Win32DropTarget::Win32DropTarget(DropListener& listenerArg, HWND windowArg)
    : listener(&listenerArg), window(windowArg)
{
}

HRESULT Win32DropTarget::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDropTarget)
    {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Win32DropTarget::AddRef()
{
    return ++references;
}

ULONG Win32DropTarget::Release()
{
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
}

Point Win32DropTarget::clientPoint(POINTL screen) const
{
    POINT p{screen.x, screen.y};
    ::ScreenToClient(window, &p);
    return Point{p.x, p.y};
}

DWORD Win32DropTarget::answer(DWORD allowed, bool wanted) const
{
    wanted = wanted && (!data.files.empty() || !data.text.empty());
    return wanted && (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

HRESULT Win32DropTarget::DragEnter(IDataObject* object, DWORD, POINTL point, DWORD* effect)
{
    if (!effect) return E_INVALIDARG;
    if (!object || !listener)
    {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    data = readDragData(object);
    dragging = true;
    *effect = answer(*effect, listener->onDragEnter(data, clientPoint(point)));
    return S_OK;
}

HRESULT Win32DropTarget::DragOver(DWORD, POINTL point, DWORD* effect)
{
    if (!effect) return E_INVALIDARG;
    if (!dragging || !listener)
    {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    *effect = answer(*effect, listener->onDragMove(data, clientPoint(point)));
    return S_OK;
}

HRESULT Win32DropTarget::DragLeave()
{
    if (!dragging) return S_OK;
    dragging = false;
    const DragData left = std::move(data);
    data = DragData{};
    if (listener) listener->onDragLeave(left);
    return S_OK;
}

HRESULT Win32DropTarget::Drop(IDataObject*, DWORD, POINTL point, DWORD* effect)
{
    if (!effect) return E_INVALIDARG;
    if (!dragging || !listener)
    {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    dragging = false;
    const DragData dropped = std::move(data);
    data = DragData{};
    const DWORD allowed = *effect;
    const bool taken = listener->onDrop(dropped, clientPoint(point));
    *effect = taken && (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
}

} // namespace platform::win32
