// Drops from other applications through OLE: what the frame window's drop
// target reads from a data object and what it answers the source.
#include <gtest/gtest.h>

#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/Win32DropTarget.h"

namespace
{

using platform::DragData;
using platform::Point;
using platform::win32::Win32DropTarget;

// A data object offering one clipboard format from a block it builds.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class OneFormat final : public IDataObject
{
  public:
    OneFormat(CLIPFORMAT offered, std::vector<char> content) : format(offered), block(std::move(content)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override
    {
        if (wanted->cfFormat != format || !(wanted->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, block.size());
        std::memcpy(::GlobalLock(copy), block.data(), block.size());
        ::GlobalUnlock(copy);
        *medium = STGMEDIUM{};
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override
    {
        return wanted->cfFormat == format ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

  private:
    CLIPFORMAT format;
    std::vector<char> block;
};
#pragma GCC diagnostic pop

// A file list as the shell hands it over: a header, then wide names, each
// ended, and one more end.
OneFormat fileList(const std::vector<std::wstring>& names)
{
    std::vector<char> block(sizeof(DROPFILES));
    auto* header = reinterpret_cast<DROPFILES*>(block.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    for (const std::wstring& name : names)
    {
        const auto* bytes = reinterpret_cast<const char*>(name.c_str());
        block.insert(block.end(), bytes, bytes + (name.size() + 1) * sizeof(wchar_t));
    }
    block.insert(block.end(), sizeof(wchar_t), '\0');
    return OneFormat(CF_HDROP, block);
}

OneFormat plainText(const std::wstring& text)
{
    const auto* bytes = reinterpret_cast<const char*>(text.c_str());
    return OneFormat(CF_UNICODETEXT, std::vector<char>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t)));
}

struct Recorder final : platform::DropListener
{
    bool onDragEnter(const DragData& data, Point) override
    {
        entered = data;
        return wants;
    }
    bool onDragMove(const DragData&, Point) override
    {
        ++moves;
        return wants;
    }
    void onDragLeave(const DragData&) override { ++leaves; }
    bool onDrop(const DragData& data, Point) override
    {
        dropped = data;
        return accept;
    }
    DragData entered, dropped;
    int moves = 0, leaves = 0;
    bool accept = true;
    bool wants = true; // what the editor answers while the drag is over it
};

constexpr DWORD kCopyOrMove = DROPEFFECT_COPY | DROPEFFECT_MOVE;

TEST(DropTarget, ReadsFileListsAndTextAndAnswersCopyNeverMove)
{
    OneFormat files = fileList({L"C:\\a.trb", L"C:\\b.trp", L"C:\\caf\u00e9.trb"});
    OneFormat text = plainText(L"Just words");
    struct Case
    {
        const char* claim;
        IDataObject* data;
        size_t fileCount;
        std::string text;
    } cases[] = {{"three files", &files, 3, ""}, {"plain text", &text, 0, "Just words"}};
    for (const Case& c : cases)
    {
        Recorder recorder;
        auto* target = new Win32DropTarget(recorder, ::GetDesktopWindow());
        DWORD effect = kCopyOrMove;
        ASSERT_EQ(target->DragEnter(c.data, 0, POINTL{10, 10}, &effect), S_OK);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY)) << c.claim;
        EXPECT_EQ(recorder.entered.files.size(), c.fileCount) << c.claim;
        EXPECT_EQ(recorder.entered.text, c.text) << c.claim;
        effect = kCopyOrMove;
        target->DragOver(0, POINTL{12, 12}, &effect);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY)) << c.claim;
        effect = kCopyOrMove;
        target->Drop(c.data, 0, POINTL{12, 12}, &effect);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY)) << c.claim;
        EXPECT_EQ(recorder.dropped.files.size(), c.fileCount) << c.claim;
        target->Release();
    }
    EXPECT_EQ(platform::win32::readDragData(&files).files[2], "C:\\caf\xC3\xA9.trb")
        << "names arrive as UTF-8";
}

TEST(DropTarget, NothingToTakeOrARefusedDropAnswersNone)
{
    Recorder recorder;
    auto* target = new Win32DropTarget(recorder, ::GetDesktopWindow());
    DWORD effect = kCopyOrMove;
    target->DragEnter(nullptr, 0, POINTL{}, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = kCopyOrMove;
    target->DragOver(0, POINTL{}, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << "no drag was entered";
    EXPECT_EQ(recorder.moves, 0);

    OneFormat files = fileList({L"C:\\a.trb"});
    recorder.accept = false;
    recorder.wants = false;
    effect = kCopyOrMove;
    target->DragEnter(&files, 0, POINTL{}, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << "a drag the editor does not want";
    effect = kCopyOrMove;
    target->DragOver(0, POINTL{}, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << "a drag the editor does not want";
    effect = kCopyOrMove;
    target->Drop(&files, 0, POINTL{}, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    target->Release();
}

} // namespace
