#pragma once
// An editor on the headless window system, opened in a host window whose
// client starts at (300, 200), with a recording host behind its effect.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/AEffGUIEditor.h"
#include "editor/CPresetSystemListener.h"
#include "gui/CBitmap.h"
#include "gui/CControl.h"
#include "gui/CFrame.h"
#include "platform/headless/HeadlessPlatform.h"
#include "resources/SkinLayout.h"
#include "resources/SkinTable.h"
#include "tests/shell/RecordingHost.h"
#include "tests/shell/TestEffect.h"

namespace editortest
{

using namespace gui;
using platform::headless::HeadlessPlatform;
using platform::headless::HeadlessWindow;
using platform::headless::PointerStep;

inline CViewRect toView(const resources::SkinRect& r)
{
    return CViewRect{r.left, r.top, r.right, r.bottom};
}

// A bare editor whose open makes a panel-sized frame and nothing else.
class RigEditor : public AEffGUIEditor
{
  public:
    explicit RigEditor(AudioEffect* owner) : AEffGUIEditor(owner, std::make_unique<HeadlessPlatform>())
    {
        rect = ERect{0, 0, resources::kPanelHeight, resources::kPanelWidth};
    }
    bool open(void* parent) override
    {
        AEffEditor::open(parent);
        frame = new CFrame(CViewRect{0, 0, resources::kPanelWidth, resources::kPanelHeight}, parent, this);
        return true;
    }
    void close() override
    {
        if (frame)
        {
            CFrame* old = frame;
            frame = nullptr;
            old->release();
        }
        AEffEditor::close();
    }
    void idle() override
    {
        ++idles;
        idleTicks.push_back(headless().ticks());
        AEffGUIEditor::idle();
    }
    HeadlessPlatform& headless() { return static_cast<HeadlessPlatform&>(getPlatform()); }

    int idles = 0;
    std::vector<std::uint32_t> idleTicks;
};

// Records what controls report, and the preset bar's direct calls.
class RecordingListener final : public CPresetSystemListener
{
  public:
    void valueChanged(CDrawContext*, CControl* control) override
    {
        changes.push_back(control->getValue());
        tags.push_back(control->getTag());
    }
    void loadBank() override { record("loadBank"); }
    void saveBank() override { record("saveBank"); }
    void loadPreset() override { record("loadPreset"); }
    void savePreset() override { record("savePreset"); }
    void stepPreset(bool up) override { record(up ? "step up" : "step down"); }

    void record(const std::string& what)
    {
        calls.push_back(what);
        valuesDuringCalls.push_back(watched ? watched->getValue() : 0.0f);
    }

    std::vector<float> changes;
    std::vector<std::int32_t> tags;
    std::vector<std::string> calls;
    std::vector<float> valuesDuringCalls;
    CControl* watched = nullptr;
};

struct Rig
{
    Rig()
    {
        RecordingHost::reset();
        effect = new TestEffect(&RecordingHost::callback);
        editor = new RigEditor(effect);
        host = platform().addHostWindow(platform::Rect{300, 200, 700, 509});
        editor->open(host);
        window().exposeAll(); // the first paint enables idle redraws
    }
    ~Rig()
    {
        editor->close();
        delete effect; // deletes the editor
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    HeadlessPlatform& platform() { return editor->headless(); }
    HeadlessWindow& window() { return *platform().lastWindow(); }
    CFrame& frame() { return *editor->getFrame(); }

    template <class View> View* add(View* view)
    {
        frame().addView(view); // takes over the creator's reference
        return view;
    }

    // Presses the left button at `where` (client) and keeps it down for
    // `holdMs`, moving through `path` one 10 ms step each.
    void press(CViewPoint where, std::uint32_t modifiers = 0, std::uint32_t holdMs = 20,
               const std::vector<PointerStep>& path = {})
    {
        std::vector<PointerStep> script{{screen(where), platform::kButtonLeft, modifiers, holdMs}};
        script.insert(script.end(), path.begin(), path.end());
        script.push_back({script.back().screen, 0, 0, 10});
        platform().scriptPointer(script);
        window().press({where.h, where.v}, platform::kButtonLeft, modifiers);
    }
    PointerStep held(CViewPoint where, std::uint32_t modifiers = 0, std::uint32_t ms = 20)
    {
        return PointerStep{screen(where), platform::kButtonLeft, modifiers, ms};
    }
    platform::Point screen(CViewPoint where) { return window().toScreen({where.h, where.v}); }

    // The index argument of every host call with this opcode.
    std::vector<VstInt32> hostCalls(VstInt32 opcode) const
    {
        std::vector<VstInt32> out;
        for (const HostCall& call : RecordingHost::calls)
            if (call.opcode == opcode) out.push_back(call.index);
        return out;
    }

    TestEffect* effect = nullptr;
    RigEditor* editor = nullptr;
    platform::NativeHandle host = nullptr;
    RecordingListener listener;
};

// Skin bitmaps as the controls get them: the caller holds one reference.
struct Skin
{
    explicit Skin(int id) : bitmap(new CBitmap(id)) {}
    ~Skin() { bitmap->release(); }
    Skin(const Skin&) = delete;
    Skin& operator=(const Skin&) = delete;
    operator CBitmap*() const { return bitmap; }
    CBitmap* bitmap;
};

// True when the window shows `bitmap`'s block at `source` over all of `rect`.
inline bool showsImage(HeadlessWindow& window, const CBitmap& bitmap, const CViewRect& rect,
                       CViewPoint source)
{
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (!sameRGB(window.shownPixel(x, y),
                         bitmap.getPixels().pixel(source.h + x - rect.left, source.v + y - rect.top)))
                return false;
    return true;
}

} // namespace editortest
