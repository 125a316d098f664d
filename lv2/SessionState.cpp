#include "lv2/SessionState.h"

#include <cmath>
#include <cstring>

#include "presets/CPresetSystemEffect.h"

namespace
{

constexpr char kMagic[4] = {'A', 'L', 's', 't'};
constexpr std::size_t kValuesAt = 8;
constexpr std::size_t kNameAt = kValuesAt + 12 * 4;
constexpr std::size_t kPresetAt = kNameAt + SessionState::kNameSize;
constexpr std::size_t kSizeV1 = kPresetAt + 1;

void putU32(uint8_t* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t getU32(const uint8_t* in)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | in[i];
    return value;
}

} // namespace

std::vector<uint8_t> encodeSessionState(const SessionState& state)
{
    std::vector<uint8_t> blob(kSizeV1, 0);
    std::memcpy(blob.data(), kMagic, sizeof kMagic);
    putU32(&blob[4], SessionState::kVersion);
    for (std::size_t i = 0; i < state.values.size(); ++i)
    {
        uint32_t bits = 0;
        std::memcpy(&bits, &state.values[i], sizeof bits);
        putU32(&blob[kValuesAt + 4 * i], bits);
    }
    std::memcpy(&blob[kNameAt], state.name.data(), std::min(state.name.size(), SessionState::kNameSize - 1));
    blob[kPresetAt] = static_cast<uint8_t>(state.currentPreset);
    return blob;
}

std::string decodeSessionState(const void* data, std::size_t size, SessionState& state)
{
    const auto* in = static_cast<const uint8_t*>(data);
    if (!in || size < 8 || std::memcmp(in, kMagic, sizeof kMagic) != 0)
    {
        return "the saved state is not amberLit's";
    }
    const uint32_t version = getU32(in + 4);
    if (version == 0 || version > SessionState::kVersion)
    {
        return "the saved state comes from a newer version of amberLit (format " + std::to_string(version) +
               ")";
    }
    if (size != kSizeV1)
    {
        return "the saved state is damaged (wrong size)";
    }
    SessionState read;
    for (std::size_t i = 0; i < read.values.size(); ++i)
    {
        const uint32_t bits = getU32(in + kValuesAt + 4 * i);
        std::memcpy(&read.values[i], &bits, sizeof bits);
        if (!(read.values[i] >= 0.0f && read.values[i] <= 1.0f))
        {
            return "the saved state is damaged (a value outside 0..1)";
        }
    }
    const char* name = reinterpret_cast<const char*>(in + kNameAt);
    const std::size_t length = strnlen(name, SessionState::kNameSize);
    if (length == SessionState::kNameSize)
    {
        return "the saved state is damaged (an unterminated name)";
    }
    read.name.assign(name, length);
    read.currentPreset = in[kPresetAt];
    if (read.currentPreset >= CPresetSystemEffect::kNumPresets)
    {
        return "the saved state is damaged (no preset " + std::to_string(read.currentPreset) + ")";
    }
    state = read;
    return {};
}
