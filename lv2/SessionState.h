#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What the host's session keeps of one instance beyond its port values: every
// stored value exactly as the effect holds it, the preset being edited and
// its name. Encoded as one versioned little-endian blob:
//   "ALst", uint32 version, 12 x float32, 25-byte name (NUL-terminated),
//   uint8 current preset.
// A later version may append fields; it must still read every earlier one.
struct SessionState
{
    static constexpr uint32_t kVersion = 1;
    static constexpr std::size_t kNameSize = 25;

    std::array<float, 12> values{};
    std::string name;
    int32_t currentPreset = 0;
};

// Cuts the name to 24 characters.
std::vector<uint8_t> encodeSessionState(const SessionState& state);

// Fills `state` only when the whole blob is sound; otherwise leaves it as it
// was and returns the reason the user will see (empty on success).
std::string decodeSessionState(const void* data, std::size_t size, SessionState& state);
