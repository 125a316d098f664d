#include "presets/MemoSlots.h"

#include "engine/ParameterTable.h"
#include "presets/CPresetSystemEffect.h"
#include "presets/SettingsStore.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

namespace
{

constexpr int kMemoValues = 12;

// Four bytes, least significant first, whatever the machine's byte order.
SettingValue floatValue(float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                    static_cast<unsigned char>(bits >> 16),
                                    static_cast<unsigned char>(bits >> 24)};
    return SettingValue::binaryOf(bytes, sizeof bytes);
}

std::optional<float> floatOf(const std::optional<SettingValue>& value)
{
    if (!value || value->type != SettingValue::Type::binary || value->bytes.size() != 4) return std::nullopt;
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = bits << 8 | static_cast<unsigned char>(value->bytes[i]);
    // As in bank files, clamped as the effect clamps: nothing outside 0..1
    // may reach the host's project through the automation call.
    return params::clampValue(std::bit_cast<float>(bits));
}

std::optional<SettingValue> find(const SettingsStore::Values& values, const std::string& name)
{
    const auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

std::string currentPresetName(CPresetSystemEffect& effect)
{
    char name[CProgram::kNameSize] = {};
    if (CProgram* program = effect.getPresetProgram(effect.getCurrentPreset())) program->getName(name);
    return name;
}

} // namespace

const char* memoKey(MemoSlot slot)
{
    return slot == MemoSlot::a ? kMemoAKey : kMemoBKey;
}

std::string memoValueName(int index)
{
    char name[16];
    std::snprintf(name, sizeof name, "param%3d", index);
    return name;
}

VstInt32 storeMemo(CPresetSystemEffect& effect, SettingsStore& store, MemoSlot slot)
{
    // One write for all thirteen values: a slot never holds a mix of two stores.
    std::vector<std::pair<std::string, SettingValue>> values;
    values.reserve(kMemoValues + 1);
    for (int i = 0; i < kMemoValues; ++i)
        values.emplace_back(memoValueName(i), floatValue(effect.getParameter(i)));
    values.emplace_back(kMemoNameValue, SettingValue::stringOf(currentPresetName(effect)));
    return store.write(memoKey(slot), values);
}

VstInt32 recallMemo(CPresetSystemEffect& effect, const SettingsStore& store, MemoSlot slot)
{
    // One reading of the store: a recall never mixes two stores made at the same time.
    const std::optional<SettingsStore::Values> values = store.readKey(memoKey(slot));
    if (!values) return ENOENT;
    for (int i = 0; i < kMemoValues; ++i)
        if (const std::optional<float> value = floatOf(find(*values, memoValueName(i))))
            effect.setParameterAutomated(i, *value);
    const std::optional<SettingValue> name = find(*values, kMemoNameValue);
    if (name && name->type == SettingValue::Type::string) effect.renameCurrentPreset(name->bytes.c_str());
    effect.updateDisplay();
    return 0;
}

// The effect's memo operations use the user's store, shared by every instance.
VstInt32 CPresetSystemEffect::storeMemoA()
{
    return storeMemo(*this, *SettingsStore::forUser(), MemoSlot::a);
}

VstInt32 CPresetSystemEffect::storeMemoB()
{
    return storeMemo(*this, *SettingsStore::forUser(), MemoSlot::b);
}

VstInt32 CPresetSystemEffect::recallMemoA()
{
    return recallMemo(*this, *SettingsStore::forUser(), MemoSlot::a);
}

VstInt32 CPresetSystemEffect::recallMemoB()
{
    return recallMemo(*this, *SettingsStore::forUser(), MemoSlot::b);
}
