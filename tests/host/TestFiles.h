#pragma once

#include "host/AudioBuffer.h"
#include "host/AudioFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>
#include <unistd.h>

// A fresh, empty folder per test, removed afterwards.
class ScratchFolder
{
  public:
    ScratchFolder()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() / ("amberlit-host-" + std::to_string(getpid()) + "-" +
                                                         info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path); }

    std::string file(const std::string& name) const { return (path / name).string(); }
    std::size_t entryCount() const
    {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path), {}));
    }

  private:
    std::filesystem::path path;
};

// Two sines of different pitch and level, so the channels are told apart.
inline host::AudioBuffer makeTone(int channels, double seconds, double rate, double amplitude = 0.5)
{
    host::AudioBuffer audio(channels, static_cast<std::size_t>(seconds * rate), rate);
    for (int c = 0; c < channels; ++c)
        for (std::size_t i = 0; i < audio.frames(); ++i)
            audio.channels[c][i] =
                amplitude / (c + 1) *
                std::sin(2.0 * std::numbers::pi * (440.0 + 110.0 * c) * static_cast<double>(i) / rate);
    return audio;
}
