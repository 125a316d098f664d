#pragma once

#include "shell/host_interface.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace host
{

// The host's side of the callback for one plug-in instance: answers what the
// plug-in may ask and records what it reports.
//
// The effect record's host-reserved field resvd1 points back here once the
// entry has returned; calls made while the entry is still running (the
// plug-in's constructor) reach the instance being loaded on this thread.
class HostCallback
{
  public:
    struct Automation
    {
        VstInt32 index;
        float value;
    };

    static constexpr VstIntPtr hostVersion = 2400;

    static VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt);

    // Makes `callback` the target of calls that arrive before the record is
    // known, on this thread, for as long as the guard lives.
    class LoadingScope
    {
      public:
        explicit LoadingScope(HostCallback& callback);
        ~LoadingScope();
        LoadingScope(const LoadingScope&) = delete;
        LoadingScope& operator=(const LoadingScope&) = delete;
    };

    void attach(AEffect* effect);

    // A mono file gives a mono host: input and output pin 1 are unconnected.
    void setChannelCount(int count) { channels.store(count, std::memory_order_relaxed); }
    void setSampleRate(double rate) { sampleRate.store(rate, std::memory_order_relaxed); }
    void setBlockSize(int frames) { blockSize.store(frames, std::memory_order_relaxed); }

    // A host that automates for minutes need not keep every write.
    void setKeepAutomations(bool keep) { keepAutomations.store(keep, std::memory_order_relaxed); }
    std::vector<Automation> automations() const;

  private:
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    VstIntPtr pinConnected(VstInt32 index) const;
    void recordAutomation(VstInt32 index, float value);

    std::atomic<int> channels{2};
    std::atomic<double> sampleRate{44100.0};
    std::atomic<int> blockSize{512};
    std::atomic<bool> keepAutomations{true};
    mutable std::mutex automationMutex;
    std::vector<Automation> recorded;
};

} // namespace host
