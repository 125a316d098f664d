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
    void setChannelCount(int channels) { channels_.store(channels, std::memory_order_relaxed); }
    void setSampleRate(double rate) { sampleRate_.store(rate, std::memory_order_relaxed); }
    void setBlockSize(int frames) { blockSize_.store(frames, std::memory_order_relaxed); }

    std::vector<Automation> automations() const;
    int beginEdits() const { return beginEdits_.load(std::memory_order_relaxed); }
    int endEdits() const { return endEdits_.load(std::memory_order_relaxed); }
    int displayUpdates() const { return displayUpdates_.load(std::memory_order_relaxed); }
    int idles() const { return idles_.load(std::memory_order_relaxed); }

  private:
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    VstIntPtr pinConnected(VstInt32 index) const;
    void recordAutomation(VstInt32 index, float value);

    std::atomic<int> channels_{2};
    std::atomic<double> sampleRate_{44100.0};
    std::atomic<int> blockSize_{512};
    std::atomic<int> beginEdits_{0};
    std::atomic<int> endEdits_{0};
    std::atomic<int> displayUpdates_{0};
    std::atomic<int> idles_{0};
    mutable std::mutex automationMutex_;
    std::vector<Automation> automations_;
};

} // namespace host
