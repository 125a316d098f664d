#pragma once
// A frame on the headless window system with a recording owner, and views
// that count what happens to them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/CFrameOwner.h"
#include "platform/headless/HeadlessPlatform.h"

namespace viewtest
{

using namespace gui;
using platform::headless::HeadlessPlatform;
using platform::headless::HeadlessWindow;

class FakeOwner final : public CFrameOwner
{
  public:
    platform::Platform& getPlatform() override { return platform; }
    void beginEdit(std::int32_t tag) override { edits.push_back("begin " + std::to_string(tag)); }
    void endEdit(std::int32_t tag) override { edits.push_back("end " + std::to_string(tag)); }
    void doIdleStuff() override
    {
        ++idleCalls;
        platform.sleep(10);
    }
    std::int32_t getKnobMode() const override { return knobMode; }
    bool canHostSizeWindow() override { return hostCanSize; }
    bool sizeWindow(std::int32_t width, std::int32_t height) override
    {
        sizeRequests.emplace_back(width, height);
        return hostAcceptsSize;
    }

    HeadlessPlatform platform;
    std::vector<std::string> edits;
    int idleCalls = 0;
    std::int32_t knobMode = 0;
    bool hostCanSize = false;
    bool hostAcceptsSize = false;
    std::vector<std::pair<std::int32_t, std::int32_t>> sizeRequests;
};

// Counts its calls; reports its own destruction through `alive`.
class ProbeView : public CView
{
  public:
    explicit ProbeView(const CViewRect& rect, int* counter = nullptr) : CView(rect), alive(counter)
    {
        if (alive) ++*alive;
    }
    ~ProbeView() override
    {
        if (alive) --*alive;
    }

    void draw(CDrawContext* context) override
    {
        ++draws;
        if (context && paintColor)
        {
            context->setFillColor(*paintColor);
            // fillRect leaves the top row and left column; widen to cover the view.
            context->fillRect(CViewRect{size.left - 1, size.top - 1, size.right, size.bottom});
        }
        if (resizeWhileDrawing) size = *resizeWhileDrawing;
        setDirty(false);
    }
    void mouse(CDrawContext*, CViewPoint where, std::int32_t buttons) override
    {
        clicks.push_back(where);
        clickButtons.push_back(buttons);
        if (frameFocusAtClick) *frameFocusAtClick = getFrame() ? getFrame()->getFocusView() : nullptr;
    }
    bool onWheel(CDrawContext*, const CViewPoint& where, float distance) override
    {
        wheels.emplace_back(where, distance);
        return true;
    }
    std::int32_t onKeyDown(VstKeyCode&) override
    {
        ++keysOffered;
        return keyAnswer;
    }
    void loseFocus(CDrawContext*) override { ++focusLost; }
    void onDragEnter(CDrawContext*, CDragContainer*, const CViewPoint& where) override
    {
        drags.push_back(tagged("enter", where));
    }
    void onDragLeave(CDrawContext*, CDragContainer*, const CViewPoint&) override
    {
        drags.push_back(name + " leave");
    }
    void onDragMove(CDrawContext*, CDragContainer*, const CViewPoint& where) override
    {
        drags.push_back(tagged("move", where));
    }
    bool onDrop(CDrawContext*, CDragContainer*, const CViewPoint& where) override
    {
        drags.push_back(tagged("drop", where));
        return true;
    }
    std::string tagged(const char* what, const CViewPoint& where) const
    {
        return name + " " + what + " " + std::to_string(where.h) + "," + std::to_string(where.v);
    }

    int draws = 0;
    std::vector<CViewPoint> clicks;
    std::vector<std::int32_t> clickButtons;
    std::vector<std::pair<CViewPoint, float>> wheels;
    int keysOffered = 0;
    std::int32_t keyAnswer = kKeyNotHandled;
    int focusLost = 0;
    std::optional<CViewColor> paintColor;
    std::optional<CViewRect> resizeWhileDrawing;
    CView** frameFocusAtClick = nullptr;
    std::string name;
    std::vector<std::string> drags;

  private:
    int* alive;
};

// A frame of 200 x 100 in a host window whose client starts at (300, 200).
struct FrameRig
{
    explicit FrameRig(CViewRect rect = CViewRect{0, 0, 200, 100})
    {
        host =
            owner.platform.addHostWindow(platform::Rect{300, 200, 300 + rect.width(), 200 + rect.height()});
        frame = new CFrame(rect, host, &owner);
    }
    ~FrameRig()
    {
        if (frame) frame->release();
    }
    FrameRig(const FrameRig&) = delete;
    FrameRig& operator=(const FrameRig&) = delete;

    HeadlessWindow& window() { return *owner.platform.lastWindow(); }
    ProbeView* add(const CViewRect& rect)
    {
        auto* view = new ProbeView(rect);
        frame->addView(view);
        return view;
    }

    FakeOwner owner;
    platform::NativeHandle host = nullptr;
    CFrame* frame = nullptr;
};

inline VstKeyCode keyCode(unsigned char virt, unsigned char modifier = 0)
{
    VstKeyCode key{};
    key.virt = virt;
    key.modifier = modifier;
    return key;
}

inline std::uint32_t rgb(const CViewColor& c)
{
    return 0xFF000000u | (std::uint32_t(c.red) << 16) | (std::uint32_t(c.green) << 8) | c.blue;
}

} // namespace viewtest
