#pragma once
// The plug-in's own effect and editor on the headless window system, opened
// in a host window whose client starts at (300, 200).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/ADEditor.h"
#include "editor/CAnimKnob3.h"
#include "gui/CFrame.h"
#include "gui/COptionMenu.h"
#include "gui/CTextEdit.h"
#include "platform/headless/HeadlessPlatform.h"
#include "plugin/AutoComp.h"
#include "resources/SkinLayout.h"
#include "tests/shell/RecordingHost.h"

namespace paneltest
{

using platform::headless::HeadlessPlatform;
using platform::headless::HeadlessWindow;
using platform::headless::PointerStep;

inline gui::CViewPoint centreOf(const resources::SkinRect& r)
{
    return gui::CViewPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

struct PanelRig
{
    // `scale` 0 leaves the editor to find its own, on a desktop asking for
    // `desktopScale`.
    explicit PanelRig(int scale = 1, int desktopScale = 1)
    {
        RecordingHost::reset();
        effect = new AutoComp(&RecordingHost::callback);
        editor = static_cast<ADEditor*>(effect->getEditor());
        auto memory = std::make_unique<HeadlessPlatform>();
        screen = memory.get();
        screen->setDesktopScale(desktopScale);
        editor->setPlatform(std::move(memory));
        if (scale != 0) editor->setScale(scale);
        ERect* shown = nullptr;
        editor->getRect(&shown);
        const int s = editor->getScale();
        host = screen->addHostWindow(platform::Rect{300, 200, 300 + 400 * s, 200 + 309 * s});
        opened = editor->open(host);
        if (opened) window().exposeAll();
    }
    ~PanelRig() { delete effect; } // with the window open: the editor closes it
    PanelRig(const PanelRig&) = delete;
    PanelRig& operator=(const PanelRig&) = delete;

    HeadlessWindow& window() { return *screen->lastWindow(); }
    gui::CFrame& frame() { return *editor->getFrame(); }
    platform::Point screenPoint(gui::CViewPoint where) { return window().toScreen({where.h, where.v}); }

    // Left button down at `where` (client) for `holdMs`, through `path`, then up.
    void press(gui::CViewPoint where, std::uint32_t modifiers = 0, std::uint32_t holdMs = 20,
               const std::vector<PointerStep>& path = {})
    {
        std::vector<PointerStep> script{{screenPoint(where), platform::kButtonLeft, modifiers, holdMs}};
        script.insert(script.end(), path.begin(), path.end());
        script.push_back({script.back().screen, 0, 0, 10});
        screen->scriptPointer(script);
        window().press({where.h, where.v}, platform::kButtonLeft, modifiers);
    }
    void pointAt(gui::CViewPoint where) { screen->setPointer(screenPoint(where)); }

    std::vector<HostCall> hostCalls(VstInt32 opcode) const
    {
        std::vector<HostCall> out;
        for (const HostCall& call : RecordingHost::calls)
            if (call.opcode == opcode) out.push_back(call);
        return out;
    }
    std::string presetName(VstInt32 index)
    {
        char name[CProgram::kNameSize] = {};
        effect->getPresetProgram(index)->getName(name);
        return name;
    }
    std::string fieldText() { return editor->getNameField()->text(); }
    std::string menuEntry(std::int32_t index) { return editor->getPresetMenu()->entryText(index); }

    AutoComp* effect = nullptr;
    ADEditor* editor = nullptr;
    HeadlessPlatform* screen = nullptr;
    platform::NativeHandle host = nullptr;
    bool opened = false;
};

} // namespace paneltest
