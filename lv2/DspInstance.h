#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include <lv2/core/lv2.h>
#include <lv2/log/logger.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "lv2/Lv2Effect.h"
#include "lv2/PortTable.h"

// One LV2 instance of either variant: the effect driven through its 2.4
// entry points, with port values taken as parameter changes between blocks.
class DspInstance
{
  public:
    // Instantiation thread. Null only when memory runs out.
    static DspInstance* create(double sampleRate, bool mono, const LV2_Feature* const* features);
    ~DspInstance();

    void connect(uint32_t port, void* data);
    void activate();
    void deactivate();
    // Audio thread; real-time safe.
    void run(uint32_t frames);

    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    // The UI reaches the effect through instance access: program names and
    // the preset being edited are not ports.
    Lv2Effect& getEffect() { return *effect; }

  private:
    DspInstance(double sampleRate, bool mono, LV2_URID_Map* map, LV2_Log_Log* log);
    static VstIntPtr hostCallback(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void* ptr, float opt);
    void takePortChanges();
    void rememberPortValues();
    LV2_State_Status restoreFactoryPreset(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    std::unique_ptr<Lv2Effect> effect;
    const float sampleRate;
    const bool mono;
    LV2_URID stateKey = 0;
    LV2_URID chunkType = 0;
    LV2_URID presetKey = 0;
    LV2_URID intType = 0;
    LV2_Log_Logger logger{};

    std::array<const float*, lv2port::kNumControls> controls{};
    // The port value last taken or published per control: only a different
    // one is a change, so restored values that a port cannot show exactly
    // are not replaced by their nearest port value.
    std::array<std::atomic<float>, lv2port::kNumControls> lastPortValues{};
    float* gainReduction = nullptr;
    float* latency = nullptr;
    std::array<const float*, 2> inputs{};
    std::array<float*, 2> outputs{};
};
