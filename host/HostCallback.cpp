#include "host/HostCallback.h"

#include <cstring>

namespace host
{
namespace
{

thread_local HostCallback* loadingCallback = nullptr;

// What this host can do for a plug-in that asks; it has no window, no MIDI
// and no time line, but it does announce the start and stop of processing.
bool hostCanDo(const char* text)
{
    return text != nullptr && std::strcmp(text, "startStopProcess") == 0;
}

void copyText(void* ptr, const char* text, std::size_t capacity)
{
    if (ptr == nullptr) return;
    std::strncpy(static_cast<char*>(ptr), text, capacity - 1);
    static_cast<char*>(ptr)[capacity - 1] = '\0';
}

} // namespace

HostCallback::LoadingScope::LoadingScope(HostCallback& callback)
{
    loadingCallback = &callback;
}

HostCallback::LoadingScope::~LoadingScope()
{
    loadingCallback = nullptr;
}

void HostCallback::attach(AEffect* effect)
{
    effect->resvd1 = reinterpret_cast<VstIntPtr>(this);
}

VstIntPtr HostCallback::dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt)
{
    HostCallback* callback = loadingCallback;
    // The record's host field is an integer; it holds our pointer (attach).
    if (effect != nullptr && effect->resvd1 != 0) callback = reinterpret_cast<HostCallback*>(effect->resvd1);
    if (callback == nullptr) return opcode == audioMasterVersion ? hostVersion : 0;
    return callback->answer(opcode, index, value, ptr, opt);
}

VstIntPtr HostCallback::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode)
    {
    case audioMasterAutomate:
        recordAutomation(index, opt);
        return 0;
    case audioMasterVersion:
        return hostVersion;
    case audioMasterIdle:
        return 0;
    case audioMasterPinConnected:
        return value == 0 || value == 1 ? pinConnected(index) : 1;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(sampleRate.load(std::memory_order_relaxed));
    case audioMasterGetBlockSize:
        return blockSize.load(std::memory_order_relaxed);
    case audioMasterGetVendorString:
        copyText(ptr, "TRV", kVstMaxVendorStrLen);
        return 1;
    case audioMasterGetProductString:
        copyText(ptr, "amberlit host", kVstMaxProductStrLen);
        return 1;
    case audioMasterGetVendorVersion:
        return 1;
    case audioMasterCanDo:
        return hostCanDo(static_cast<const char*>(ptr)) ? 1 : 0;
    case audioMasterUpdateDisplay:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        return 1;
    default:
        return 0;
    }
}

// The pin query answers 0 for a connected pin. Pin 0 always carries the
// file's first channel; pin 1 exists only for a stereo file.
VstIntPtr HostCallback::pinConnected(VstInt32 index) const
{
    const int count = channels.load(std::memory_order_relaxed);
    return index >= 0 && index < count ? 0 : 1;
}

void HostCallback::recordAutomation(VstInt32 index, float value)
{
    if (!keepAutomations.load(std::memory_order_relaxed)) return;
    std::lock_guard lock(automationMutex);
    recorded.push_back({index, value});
}

std::vector<HostCallback::Automation> HostCallback::automations() const
{
    std::lock_guard lock(automationMutex);
    return recorded;
}

} // namespace host
