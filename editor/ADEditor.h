// The plug-in's editor: the skinned 400 x 309 panel with the Process switch,
// the four film-strip knobs, the gain-reduction meter, the about area and,
// through its base, the preset bar. The effect creates one and keeps it for
// its whole life; the host opens and closes the window any number of times.
#pragma once

#include <atomic>
#include <thread>

#include "editor/CPresetSystemEditor.h"
#include "editor/MeterSource.h"

namespace gui
{
class CBitmap;
class CHorizontalSwitch;
} // namespace gui
class CAbout;
class CAmberVuMeter2;
class CAnimKnob3;

class ADEditor : public CPresetSystemEditor
{
  public:
    static constexpr std::int32_t kAboutTag = 13;
    static constexpr std::int32_t kMeterTag = 14;

    // Attaches itself to `effect`, which owns it from then on. The needle
    // reads `meterSource` (null: it rests). Without a `windowSystem` the
    // native one is used.
    ADEditor(AudioEffect* effect, const MeterSource* meterSource,
             std::unique_ptr<platform::Platform> windowSystem = nullptr);
    ~ADEditor() override;

    bool open(void* parent) override;
    void close() override;
    void idle() override;

    // Any thread: the effect reports every parameter change here. Calls from
    // the thread that opened the window update the controls at once; others
    // are picked up by the next idle pass, so no other thread ever touches
    // the view tree or the window system.
    void setParameter(VstInt32 index, float value) override;
    void showPresetName(const char* name) override;
    virtual void clearMeter();
    virtual void resetMeter();

    void valueChanged(gui::CDrawContext* context, gui::CControl* control) override;

    CAmberVuMeter2* getMeter() const { return meter; }
    CAnimKnob3* getKnob(std::int32_t tag) const;
    gui::CHorizontalSwitch* getProcessSwitch() const { return processSwitch; }
    CAbout* getAboutArea() const { return aboutArea; }

  protected:
    // The user's stored choice, else the desktop's, else 1.
    std::int32_t preferredScale() override;

  private:
    bool addPanelControls(gui::CFrame& panel);
    CAnimKnob3* addKnob(gui::CFrame& panel, std::int32_t tag);
    void updateControl(VstInt32 index);
    void applyDeferredChanges();
    void driveMeter();
    bool onWindowThread() const;

    const MeterSource* meterSource;
    gui::CBitmap* background = nullptr;
    gui::CHorizontalSwitch* processSwitch = nullptr;
    CAnimKnob3* ratioKnob = nullptr;
    CAnimKnob3* timeKnob = nullptr;
    CAnimKnob3* compressionKnob = nullptr;
    CAnimKnob3* outputKnob = nullptr;
    CAmberVuMeter2* meter = nullptr;
    CAbout* aboutArea = nullptr;

    // Changes reported from other threads, applied by the next idle pass.
    std::atomic<std::uint32_t> pendingParameters{0};
    std::atomic<bool> pendingMeterClear{false};
    std::atomic<bool> pendingPresetName{false};
    std::atomic<std::thread::id> windowThread{};
    bool dispatching = false; // inside the window system's event dispatch
};
