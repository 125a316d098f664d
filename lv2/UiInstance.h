#pragma once

#include <atomic>
#include <memory>
#include <string>

#include <lv2/log/logger.h>
#include <lv2/ui/ui.h>

#include "lv2/Lv2Effect.h"

class DspInstance;

// The editor as an LV2 UI. It runs on a model of its own: an effect that
// processes nothing, whose parameter changes go to the host as port writes
// (with touch around gestures) and which follows the host's port events, so
// the editor works unchanged and the host records what it does. All calls
// come on the host's UI thread.
class UiInstance
{
  public:
    // Null only when the editor cannot open at all; the reason goes to the log.
    static UiInstance* create(LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                              const LV2_Feature* const* features);
    ~UiInstance();

    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    int idle();

  private:
    class Model;
    UiInstance(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_Feature* const* features);
    bool open(void* parent, LV2UI_Widget* widget);
    void tellMissingFeatures();
    static VstIntPtr hostCallback(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void* ptr, float opt);
    void writeParameter(VstInt32 index, float value);
    void touch(VstInt32 index, bool grabbed);
    bool resize(VstInt32 width, VstInt32 height);
    void publishPreset();
    void followPreset();

    const LV2UI_Write_Function write;
    const LV2UI_Controller controller;
    LV2UI_Resize* resizeFeature = nullptr;
    LV2UI_Touch* touchFeature = nullptr;
    DspInstance* dsp = nullptr;
    LV2_Log_Logger logger{};
    std::unique_ptr<Model> model;
    std::atomic<float> gainReductionDb{0.0f};
    bool applyingPortEvent = false; // the model follows the host: nothing to write back
    bool noticeShown = false;
};
