#include "editor/ADEditor.h"

#include <cmath>
#include <new>

#include "editor/CAbout.h"
#include "editor/CAmberVuMeter2.h"
#include "editor/CAnimKnob3.h"
#include "editor/EditorScale.h"
#include "engine/ParameterTable.h"
#include "gui/CBitmap.h"
#include "gui/CFrame.h"
#include "gui/CHorizontalSwitch.h"
#include "presets/CPresetSystemEffect.h"
#include "resources/SkinLayout.h"
#include "resources/SkinTable.h"

namespace
{

gui::CViewRect viewRect(const resources::SkinRect& r)
{
    return gui::CViewRect{r.left, r.top, r.right, r.bottom};
}

gui::CViewPoint viewPoint(const resources::SkinPoint& p)
{
    return gui::CViewPoint{p.x, p.y};
}

// One row per knob, in the order they are created.
struct KnobSpec
{
    std::int32_t tag;
    resources::SkinRect rect;
    int bitmap;
    float defaultValue;
    double dragScale; // the Ratio knob has few steps and wants a short travel
};

constexpr KnobSpec kKnobs[] = {
    {params::kTime, resources::kTimeKnobRect, resources::kTimeKnob, 0.5f, 0.5},
    {params::kCompression, resources::kCompressionKnobRect, resources::kCompressionKnob, 0.5f, 0.5},
    {params::kOutput, resources::kOutputKnobRect, resources::kOutputKnob, 0.0f, 0.5},
    {params::kRatio, resources::kRatioKnobRect, resources::kRatioKnob, 0.5f, 0.25},
};

constexpr std::int32_t kSwitchPositions = 3;
constexpr float kMeterNeedlePart = 0.001f;

// The switch shows Valve, Clear, Off from left to right: the reverse of the
// parameter's order.
float switchPosition(float processValue)
{
    return 1.0f - processValue;
}

} // namespace

ADEditor::ADEditor(AudioEffect* owner, const MeterSource* source, std::unique_ptr<platform::Platform> system)
    : CPresetSystemEditor(owner, std::move(system)), meterSource(source),
      background(new gui::CBitmap(resources::kPanel))
{
    rect = ERect{0, 0, static_cast<VstInt16>(background->getHeight()),
                 static_cast<VstInt16>(background->getWidth())};
}

ADEditor::~ADEditor()
{
    close();
    if (effect) effect->setEditor(nullptr);
    if (background) background->release();
}

bool ADEditor::onWindowThread() const
{
    return windowThread.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

CAnimKnob3* ADEditor::getKnob(std::int32_t tag) const
{
    switch (tag)
    {
    case params::kRatio:
        return ratioKnob;
    case params::kTime:
        return timeKnob;
    case params::kCompression:
        return compressionKnob;
    case params::kOutput:
        return outputKnob;
    default:
        return nullptr;
    }
}

std::int32_t ADEditor::preferredScale()
{
    const std::int32_t stored = storedScaleChoice();
    if (stored != 0) return stored;
    return chooseScale(0, desktopScale());
}

bool ADEditor::open(void* parent)
{
    if (!background || !parent) return false;
    if (frame) close(); // a second open without a close starts afresh
    if (!hasPlatform()) return false;
    settleScale();
    // Only the parent is stored here; the bar's open needs the frame made below and comes last.
    AEffEditor::open(parent); // NOLINT(bugprone-parent-virtual-call)
    frame = new gui::CFrame(gui::CViewRect{rect.left, rect.top, rect.left + background->getWidth(),
                                           rect.top + background->getHeight()},
                            parent, this, scale);
    if (!frame->getOwnWindow())
    {
        // The window system refused the child window: nothing to show, so say so.
        close();
        return false;
    }
    frame->setBackground(background);
    setKnobMode(2);
    windowThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    pendingParameters.store(0, std::memory_order_relaxed);
    pendingMeterClear.store(false, std::memory_order_relaxed);
    pendingPresetName.store(false, std::memory_order_relaxed);
    if (!addPanelControls(*frame)) return false;
    return CPresetSystemEditor::open(parent);
}

CAnimKnob3* ADEditor::addKnob(gui::CFrame& panel, std::int32_t tag)
{
    for (const KnobSpec& setup : kKnobs)
    {
        if (setup.tag != tag) continue;
        auto* strip = new (std::nothrow) gui::CBitmap(setup.bitmap);
        if (!strip) return nullptr;
        const resources::SkinBitmap* skin = resources::findSkinBitmap(setup.bitmap);
        auto* knob = new CAnimKnob3(viewRect(setup.rect), this, setup.tag, strip, skin ? skin->frames : 1);
        strip->release();
        knob->setDefaultValue(setup.defaultValue);
        knob->setValue(effect->getParameter(setup.tag));
        knob->setDragScale(setup.dragScale);
        panel.addView(knob);
        return knob;
    }
    return nullptr;
}

bool ADEditor::addPanelControls(gui::CFrame& panel)
{
    using namespace resources;
    auto* face = new gui::CBitmap(kMeterFace);
    auto* overlay = new gui::CBitmap(kMeterOverlay);
    meter = new CAmberVuMeter2(viewRect(kMeterFaceRect), this, kMeterTag, face, overlay,
                               viewPoint(kMeterOverlayOrigin), viewPoint(kMeterPivot), kMeterInnerRadius,
                               kMeterOuterRadius);
    face->release();
    overlay->release();
    meter->setDefaultValue(1.0f);
    meter->setNeedleBase(kMeterNeedlePart);
    meter->setNeedleSwing(kMeterNeedlePart);
    meter->setNeedleOffset(kMeterNeedlePart);
    meter->setValue(1.0f);
    panel.addView(meter);

    auto* lever = new gui::CBitmap(kProcessSwitch);
    processSwitch =
        new gui::CHorizontalSwitch(viewRect(kProcessSwitchRect), this, params::kProcess, kSwitchPositions,
                                   lever->getHeight() / kSwitchPositions, lever, gui::CViewPoint{0, 0});
    lever->release();
    processSwitch->setDefaultValue(0.0f);
    processSwitch->setValue(switchPosition(effect->getParameter(params::kProcess)));
    panel.addView(processSwitch);

    timeKnob = addKnob(panel, params::kTime);
    compressionKnob = addKnob(panel, params::kCompression);
    outputKnob = addKnob(panel, params::kOutput);
    ratioKnob = addKnob(panel, params::kRatio);
    if (!timeKnob || !compressionKnob || !outputKnob || !ratioKnob) return false;

    auto* picture = new gui::CBitmap(kAboutPicture);
    aboutArea = new CAbout(viewRect(kAboutAreaRect), this, kAboutTag, picture, viewRect(kAboutDisplayRect),
                           gui::CViewPoint{0, 0});
    picture->release();
    panel.addView(aboutArea);
    return true;
}

void ADEditor::close()
{
    CPresetSystemEditor::close();
    processSwitch = nullptr;
    ratioKnob = timeKnob = compressionKnob = outputKnob = nullptr;
    meter = nullptr;
    aboutArea = nullptr;
    if (frame)
    {
        gui::CFrame* old = frame;
        frame = nullptr; // views that ask for the editor's frame while going see none
        old->release();
    }
    releaseNativePlatform();
}

void ADEditor::idle()
{
    if (!frame) return;
    if (!inIdle && !dispatching)
    {
        // Hosts give no other hook: the window's events are read here. Not
        // from inside an event's own handling (a knob's drag loop idles too).
        dispatching = true;
        getPlatform().dispatchEvents();
        dispatching = false;
        if (!frame) return; // the window went away under us
    }
    applyDeferredChanges();
    if (!inIdle) frame->idle();
    CPresetSystemEditor::idle();
    driveMeter();
}

void ADEditor::driveMeter()
{
    if (!meterSource || !meter) return;
    float v = static_cast<float>(1.0 - meterSource->getMeterGain());
    if (v > 1.0f)
        v = 1.0f;
    else if (!(v >= 0.0f))
        v = 0.0f; // also a non-finite reading: the needle rests
    if (aboutArea && aboutArea->getValue() == 0.0f) meter->setValue(v);
}

void ADEditor::updateControl(VstInt32 index)
{
    if (index == params::kProcess && processSwitch)
        processSwitch->setValue(switchPosition(effect->getParameter(params::kProcess)));
    else if (CAnimKnob3* knob = getKnob(index))
        knob->setValue(effect->getParameter(index));
    frame->setDirty(true);
}

void ADEditor::applyDeferredChanges()
{
    std::uint32_t changed = pendingParameters.exchange(0, std::memory_order_relaxed);
    for (VstInt32 index = 0; changed; ++index, changed >>= 1)
        if (changed & 1u) updateControl(index);
    if (pendingMeterClear.exchange(false, std::memory_order_relaxed)) clearMeter();
    if (pendingPresetName.exchange(false, std::memory_order_relaxed))
    {
        char name[CProgram::kNameSize] = {};
        if (CPresetSystemEffect* presets = presetEffect())
            if (CProgram* program = presets->getPresetProgram(presets->getCurrentPreset()))
                program->getName(name);
        CPresetSystemEditor::showPresetName(name);
    }
}

void ADEditor::setParameter(VstInt32 index, float)
{
    // The control shows the effect's stored value, not the one passed in.
    if (index < 0 || index >= params::kCount) return;
    if (!onWindowThread())
    {
        pendingParameters.fetch_or(1u << index, std::memory_order_relaxed);
        return;
    }
    if (frame) updateControl(index);
}

void ADEditor::showPresetName(const char* name)
{
    if (!onWindowThread())
    {
        pendingPresetName.store(true, std::memory_order_relaxed);
        return;
    }
    CPresetSystemEditor::showPresetName(name);
}

void ADEditor::clearMeter()
{
    if (!onWindowThread())
    {
        pendingMeterClear.store(true, std::memory_order_relaxed);
        return;
    }
    if (meter) meter->setValue(0.0f);
}

void ADEditor::resetMeter()
{
    clearMeter();
}

void ADEditor::valueChanged(gui::CDrawContext* context, gui::CControl* control)
{
    CPresetSystemEditor::valueChanged(context, control);
    if (!control || !effect) return;
    const std::int32_t tag = control->getTag();
    if (tag == params::kProcess)
    {
        effect->setParameterAutomated(params::kProcess, 1.0f - control->getValue());
        control->setDirty(true);
    }
    else if (CAnimKnob3* knob = getKnob(tag); knob && knob == control)
    {
        // The host only ever hears values on the knob's frame grid.
        const float steps = static_cast<float>(knob->getNbSubPixmaps() - 1);
        const float snapped = steps > 0 ? std::trunc(steps * control->getValue() + 0.5f) / steps : 0.0f;
        effect->setParameterAutomated(tag, snapped);
        control->setDirty(true);
    }
}
