#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

// One program: a name of at most 24 characters and the twelve normalised
// parameter values. Values are atomics because program 0 is the effect's
// parameter state, read by the audio thread; the name is read and written
// whole under a lock, on host and editor threads only.
class CProgram
{
  public:
    static constexpr int32_t kNameSize = 25; // 24 characters and a terminator
    static constexpr int32_t kNumValues = 12;

    CProgram();
    virtual ~CProgram() = default;

    // Keeps the first 24 characters.
    virtual void setName(const char* text);
    // `text` holds at least kNameSize bytes.
    virtual void getName(char* text);
    // Ignores indices outside 0..11; clamps to 0..1 (NaN stores 0).
    virtual void setParameter(int32_t index, float value);
    // -1.0 for indices outside 0..11.
    virtual float getParameter(int32_t index);

  private:
    std::mutex nameLock;
    char name[kNameSize] = {};
    std::atomic<float> values[kNumValues];
};
