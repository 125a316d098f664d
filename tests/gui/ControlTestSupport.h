#pragma once
// A listener that records what controls tell it, and pointer scripts in
// client coordinates of the rig's window.

#include <cstdint>
#include <vector>

#include "ViewTestSupport.h"
#include "gui/CControl.h"
#include "gui/CControlListener.h"

namespace controltest
{

using namespace viewtest;

struct Change
{
    CControl* control;
    float value;
    bool hadContext;
};

class RecordingListener final : public CControlListener
{
  public:
    void valueChanged(CDrawContext* context, CControl* control) override
    {
        changes.push_back(Change{control, control->getValue(), context != nullptr});
    }
    std::int32_t modifierClicked(CDrawContext*, CControl*, std::int32_t buttons) override
    {
        modifierClicks.push_back(buttons);
        return takeModifierClicks;
    }
    std::vector<float> values() const
    {
        std::vector<float> out;
        for (const Change& c : changes)
            out.push_back(c.value);
        return out;
    }

    std::vector<Change> changes;
    std::vector<std::int32_t> modifierClicks;
    std::int32_t takeModifierClicks = 0;
};

struct ClientStep
{
    CViewPoint where;
    std::uint32_t modifiers = 0;
    bool held = true;
};

// Presses the left button at the first step's point and walks the steps, one
// idle turn (10 ms) each; the button comes up after the last one. A tracking
// loop reads the pointer one turn before it reads the buttons, so the last
// point is held one turn longer to be seen before the release.
inline void drag(FrameRig& rig, const std::vector<ClientStep>& steps)
{
    std::vector<platform::headless::PointerStep> script;
    for (const ClientStep& s : steps)
        script.push_back({rig.window().toScreen({s.where.h, s.where.v}),
                          s.held ? std::uint32_t(platform::kButtonLeft) : 0u, s.modifiers, 10});
    script.push_back(script.back());
    script.push_back({script.back().screen, 0, 0, 10});
    rig.owner.platform.scriptPointer(script);
    rig.window().press({steps.front().where.h, steps.front().where.v}, platform::kButtonLeft,
                       steps.front().modifiers);
}

} // namespace controltest
