#include "lv2/UiInstance.h"

#include <cstring>
#include <new>

#include <lv2/instance-access/instance-access.h>
#include <lv2/urid/urid.h>

#include "editor/ADEditor.h"
#include "gui/CFrame.h"
#include "lv2/DspInstance.h"
#include "lv2/Features.h"
#include "lv2/PortTable.h"

namespace
{

constexpr const char* kNoticeCaption = "TRV amberLit";

} // namespace

// The needle follows the DSP's gain-reduction port, not this model's kernel.
class UiInstance::Model : public Lv2Effect
{
  public:
    Model(audioMasterCallback host, const std::atomic<float>& reduction)
        : Lv2Effect(host), gainReductionDb(reduction)
    {
    }
    double getMeterGain() const override
    {
        return lv2port::meterGainFromDb(gainReductionDb.load(std::memory_order_relaxed));
    }

  private:
    const std::atomic<float>& gainReductionDb;
};

UiInstance* UiInstance::create(LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                               const LV2_Feature* const* features)
{
    UiInstance* ui = nullptr;
    try
    {
        ui = new UiInstance(write, controller, features);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr; // an exception must never unwind into the host
    }
    void* parent = lv2feature::find<void>(features, LV2_UI__parent);
    if (!parent)
    {
        lv2_log_error(&ui->logger,
                      "amberLit: the host offers no parent window (ui:parent) to embed the editor in\n");
        delete ui;
        return nullptr;
    }
    if (!ui->open(parent, widget))
    {
        lv2_log_error(&ui->logger, "amberLit: the editor cannot open (no X display?)\n");
        delete ui;
        return nullptr;
    }
    return ui;
}

UiInstance::UiInstance(LV2UI_Write_Function writeFunction, LV2UI_Controller hostController,
                       const LV2_Feature* const* features)
    : write(writeFunction), controller(hostController)
{
    lv2_log_logger_init(&logger, lv2feature::find<LV2_URID_Map>(features, LV2_URID__map),
                        lv2feature::find<LV2_Log_Log>(features, LV2_LOG__log));
    resizeFeature = lv2feature::find<LV2UI_Resize>(features, LV2_UI__resize);
    touchFeature = lv2feature::find<LV2UI_Touch>(features, LV2_UI__touch);
    dsp = lv2feature::find<DspInstance>(features, LV2_INSTANCE_ACCESS_URI);
    model = std::make_unique<Model>(&UiInstance::hostCallback, gainReductionDb);
    if (dsp)
    {
        applyingPortEvent = true;
        model->restoreState(dsp->getEffect().captureState());
        applyingPortEvent = false;
    }
    model->getAeffect()->user = this;
}

UiInstance::~UiInstance()
{
    if (model)
    {
        AEffect* record = model->getAeffect();
        record->dispatcher(record, effEditClose, 0, 0, nullptr, 0.0f);
        record->user = nullptr;
    }
}

bool UiInstance::open(void* parent, LV2UI_Widget* widget)
{
    AEffect* record = model->getAeffect();
    if (record->dispatcher(record, effEditOpen, 0, 0, parent, 0.0f) == 0) return false;
    AEffGUIEditor* editor = model->guiEditor();
    gui::CFrame* frame = editor ? editor->getFrame() : nullptr;
    if (!frame || !frame->getOwnWindow()) return false;
    if (widget) *widget = frame->getOwnWindow()->handle();
    ERect* rect = nullptr;
    record->dispatcher(record, effEditGetRect, 0, 0, &rect, 0.0f);
    if (rect) resize(rect->right - rect->left, rect->bottom - rect->top);
    return true;
}

// Once, at the first idle, when the editor can show a message box: what the
// host's missing features take away. Only a loss the user would not notice
// gets a box; the rest goes to the host's log.
void UiInstance::tellMissingFeatures()
{
    noticeShown = true;
    if (!touchFeature)
    {
        lv2_log_warning(&logger,
                        "amberLit: no ui:touch; knob gestures reach the host as plain value changes\n");
    }
    if (!resizeFeature)
    {
        lv2_log_warning(&logger,
                        "amberLit: no ui:resize; a new editor size shows when the editor opens again\n");
    }
    if (dsp) return;
    const std::string text =
        "This host gives the editor no access to the plug-in instance: preset names and the "
        "preset being edited are not saved with the session (the controls are).";
    lv2_log_warning(&logger, "amberLit: %s\n", text.c_str());
    if (auto* editor = static_cast<ADEditor*>(model->guiEditor())) editor->showNotice(kNoticeCaption, text);
}

VstIntPtr UiInstance::hostCallback(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                   void* ptr, float opt)
{
    auto* self = record ? static_cast<UiInstance*>(record->user) : nullptr;
    if (opcode == audioMasterVersion) return 2400;
    if (!self) return 0;
    switch (opcode)
    {
    case audioMasterAutomate:
        self->writeParameter(index, opt);
        return 0;
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        self->touch(index, opcode == audioMasterBeginEdit);
        return 1;
    case audioMasterCanDo:
        return ptr && std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0 && self->resizeFeature
                   ? 1
                   : 0;
    case audioMasterSizeWindow:
        return self->resize(index, static_cast<VstInt32>(value)) ? 1 : 0;
    case audioMasterUpdateDisplay:
        self->publishPreset();
        return 1;
    default:
        return 0;
    }
}

void UiInstance::writeParameter(VstInt32 index, float value)
{
    const int32_t port = lv2port::portOfParameter(index);
    if (applyingPortEvent || port < 0 || !write) return;
    const float portValue =
        lv2port::portFromParameter(lv2port::kControls[static_cast<std::size_t>(port)], value);
    write(controller, static_cast<uint32_t>(port), sizeof portValue, 0, &portValue);
}

void UiInstance::touch(VstInt32 index, bool grabbed)
{
    const int32_t port = lv2port::portOfParameter(index);
    if (port >= 0 && touchFeature)
        touchFeature->touch(touchFeature->handle, static_cast<uint32_t>(port), grabbed);
}

bool UiInstance::resize(VstInt32 width, VstInt32 height)
{
    return resizeFeature && width > 0 && height > 0 &&
           resizeFeature->ui_resize(resizeFeature->handle, width, height) == 0;
}

// Preset names and the preset being edited are not ports: with instance
// access they go to the DSP's effect, which keeps them in the session.
void UiInstance::publishPreset()
{
    if (!dsp) return;
    char name[CProgram::kNameSize] = {};
    model->getProgramName(name);
    dsp->getEffect().adoptPreset(model->getCurrentPreset(), name);
}

void UiInstance::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    if (format != 0 || size != sizeof(float) || !buffer) return;
    float value = 0.0f;
    std::memcpy(&value, buffer, sizeof value);
    if (port == lv2port::kGainReduction)
    {
        gainReductionDb.store(value, std::memory_order_relaxed);
        return;
    }
    if (port >= lv2port::kNumControls) return;
    const lv2port::ControlPort& control = lv2port::kControls[port];
    const float current = model->getParameter(control.parameter);
    // The host's echo of what the editor wrote keeps the exact value.
    if (lv2port::portFromParameter(control, current) == value) return;
    applyingPortEvent = true;
    model->setParameter(control.parameter, lv2port::parameterFromPort(control, value, current));
    applyingPortEvent = false;
}

// The DSP's preset changes when the host restores a session or applies one of
// its presets; the editor shows what the DSP holds.
void UiInstance::followPreset()
{
    if (!dsp) return;
    Lv2Effect& source = dsp->getEffect();
    char name[CProgram::kNameSize] = {};
    char shown[CProgram::kNameSize] = {};
    source.getProgramName(name);
    model->getProgramName(shown);
    const int32_t preset = source.getCurrentPreset();
    if (preset != model->getCurrentPreset() || std::strcmp(name, shown) != 0)
        model->adoptPreset(preset, name);
}

int UiInstance::idle()
{
    followPreset();
    AEffect* record = model->getAeffect();
    record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f);
    if (!noticeShown) tellMissingFeatures();
    return 0;
}
