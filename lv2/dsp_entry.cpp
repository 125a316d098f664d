// The DSP module's only visible symbol: the descriptor list LV2 hosts look up.
#include <cstring>

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include "lv2/DspInstance.h"
#include "lv2/Uris.h"

namespace
{

DspInstance* self(LV2_Handle handle)
{
    return static_cast<DspInstance*>(handle);
}

LV2_Handle instantiateStereo(const LV2_Descriptor*, double rate, const char*,
                             const LV2_Feature* const* features)
{
    return DspInstance::create(rate, false, features);
}

LV2_Handle instantiateMono(const LV2_Descriptor*, double rate, const char*,
                           const LV2_Feature* const* features)
{
    return DspInstance::create(rate, true, features);
}

void connectPort(LV2_Handle handle, uint32_t port, void* data)
{
    self(handle)->connect(port, data);
}

void activate(LV2_Handle handle)
{
    self(handle)->activate();
}

void run(LV2_Handle handle, uint32_t frames)
{
    self(handle)->run(frames);
}

void deactivate(LV2_Handle handle)
{
    self(handle)->deactivate();
}

void cleanup(LV2_Handle handle)
{
    delete self(handle);
}

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state, uint32_t,
                      const LV2_Feature* const*)
{
    return self(handle)->save(store, state);
}

LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state,
                         uint32_t, const LV2_Feature* const*)
{
    return self(handle)->restore(retrieve, state);
}

const void* extensionData(const char* uri)
{
    static const LV2_State_Interface state{save, restore};
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

const LV2_Descriptor kDescriptors[] = {
    {lv2uri::kStereo, instantiateStereo, connectPort, activate, run, deactivate, cleanup, extensionData},
    {lv2uri::kMono, instantiateMono, connectPort, activate, run, deactivate, cleanup, extensionData},
};

} // namespace

// LV2_SYMBOL_EXPORT gives the entry C linkage itself.
LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index < sizeof kDescriptors / sizeof kDescriptors[0] ? &kDescriptors[index] : nullptr;
}
