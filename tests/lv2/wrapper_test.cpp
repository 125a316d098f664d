#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <lv2/atom/atom.h>

#include "engine/ParameterTable.h"
#include "lv2/DspInstance.h"
#include "lv2/PortTable.h"
#include "lv2/SessionState.h"
#include "lv2/Uris.h"
#include "presets/FactoryPresets.h"

namespace
{

using lv2port::kControls;

struct UridMap
{
    std::map<std::string, LV2_URID> ids;
    LV2_URID_Map map{this, [](LV2_URID_Map_Handle handle, const char* uri)
                     {
                         auto& table = static_cast<UridMap*>(handle)->ids;
                         return table.emplace(uri, static_cast<LV2_URID>(table.size() + 1)).first->second;
                     }};
    LV2_Feature feature{LV2_URID__map, &map};
    const LV2_Feature* features[2] = {&feature, nullptr};
};

// A host's view of one instance: ports it owns, blocks of a test signal.
struct Host
{
    UridMap urids;
    std::unique_ptr<DspInstance> dsp;
    std::array<float, lv2port::kNumControls> controls{};
    float gainReduction = -1.0f;
    float latency = -1.0f;
    std::vector<float> in[2], out[2];
    struct Value
    {
        uint32_t type;
        std::vector<uint8_t> bytes;
    };
    std::map<uint32_t, Value> stored;

    explicit Host(bool mono = false, double rate = 48000.0)
    {
        dsp.reset(DspInstance::create(rate, mono, urids.features));
        for (std::size_t i = 0; i < controls.size(); ++i)
        {
            const auto values = factoryPresetValues(kFactoryPresets[0]);
            controls[i] = lv2port::portFromParameter(
                kControls[i], values[static_cast<std::size_t>(kControls[i].parameter)]);
            dsp->connect(static_cast<uint32_t>(i), &controls[i]);
        }
        dsp->connect(lv2port::kGainReduction, &gainReduction);
        dsp->connect(lv2port::kLatency, &latency);
        dsp->activate();
    }

    void setPort(const char* symbol, float value)
    {
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (std::strcmp(kControls[i].symbol, symbol) == 0) controls[i] = value;
    }

    // Renders `frames` of a loud two-channel signal starting at `offset`.
    std::vector<float> render(uint32_t offset, uint32_t frames)
    {
        for (int c = 0; c < 2; ++c)
        {
            in[c].resize(frames);
            out[c].assign(frames, 0.0f);
            for (uint32_t i = 0; i < frames; ++i)
                in[c][i] = static_cast<float>(0.7 * std::sin(0.01 * (offset + i) * (c + 1)));
            dsp->connect(lv2port::kFirstAudio + c, in[c].data());
            dsp->connect(lv2port::kFirstAudio + 2 + c, out[c].data());
        }
        dsp->run(frames);
        std::vector<float> result(out[0]);
        result.insert(result.end(), out[1].begin(), out[1].end());
        return result;
    }

    uint32_t urid(const char* uri) { return urids.map.map(urids.map.handle, uri); }

    float parameter(int32_t index) { return dsp->getEffect().getParameter(index); }

    LV2_State_Status save()
    {
        return dsp->save(
            [](LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type, uint32_t)
            {
                auto* self = static_cast<Host*>(handle);
                const auto* bytes = static_cast<const uint8_t*>(value);
                self->stored[key] = {type, std::vector<uint8_t>(bytes, bytes + size)};
                return LV2_STATE_SUCCESS;
            },
            this);
    }

    LV2_State_Status restore()
    {
        return dsp->restore(
            [](LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
               uint32_t* flags) -> const void*
            {
                auto* self = static_cast<Host*>(handle);
                const auto found = self->stored.find(key);
                if (found == self->stored.end()) return nullptr;
                *size = found->second.bytes.size();
                *type = found->second.type;
                *flags = LV2_STATE_IS_POD;
                return found->second.bytes.data();
            },
            this);
    }
};

TEST(Lv2Ports, switchStepsAndDisplayGridMapLikeTheDisplayTexts)
{
    for (const auto& port : kControls)
    {
        if (port.kind == lv2port::Kind::Hidden) continue;
        const int steps = static_cast<int>(port.maximum / port.step + 0.5f);
        for (int k = 0; k <= steps; ++k)
        {
            const float portValue = static_cast<float>(k * static_cast<double>(port.step));
            char text[params::kTextSize];
            params::display(port.parameter, lv2port::parameterFromPort(port, portValue, 0.0f), text);
            float fromText = -1.0f;
            ASSERT_TRUE(params::valueFromDisplay(port.parameter, text, fromText))
                << port.symbol << " " << text;
            EXPECT_EQ(lv2port::parameterFromPort(port, portValue, 0.0f), fromText) << port.symbol << " " << k;
            EXPECT_EQ(lv2port::portFromParameter(port, fromText), portValue) << port.symbol << " " << k;
        }
    }
}

TEST(Lv2Ports, everyFactoryPresetValueComesBackFromItsPortValueExactly)
{
    for (const FactoryPreset& preset : kFactoryPresets)
    {
        const auto values = factoryPresetValues(preset);
        for (const auto& port : kControls)
        {
            const float value = values[static_cast<std::size_t>(port.parameter)];
            EXPECT_EQ(lv2port::parameterFromPort(port, lv2port::portFromParameter(port, value), -1.0f), value)
                << preset.name << " " << port.symbol;
        }
    }
}

TEST(Lv2Ports, outOfRangeClampsAndNaNKeepsTheValue)
{
    const auto& output = kControls[static_cast<std::size_t>(lv2port::portOfParameter(params::kOutput))];
    const auto& ratio = kControls[static_cast<std::size_t>(lv2port::portOfParameter(params::kRatio))];
    EXPECT_EQ(lv2port::parameterFromPort(output, 45.0f, 0.3f), 1.0f);
    EXPECT_EQ(lv2port::parameterFromPort(output, -2.0f, 0.3f), 0.0f);
    EXPECT_EQ(lv2port::parameterFromPort(output, NAN, 0.3f), 0.3f);
    EXPECT_EQ(lv2port::parameterFromPort(ratio, 3.6f, 0.0f), static_cast<float>(4 / 6.0));
    EXPECT_EQ(lv2port::parameterFromPort(ratio, 1e30f, 0.0f), 1.0f);

    Host host;
    host.setPort("output", 12.0f);
    host.render(0, 16);
    host.setPort("output", NAN);
    host.render(16, 16);
    EXPECT_EQ(host.parameter(params::kOutput), 0.4f);
}

// Port writes between blocks act as setParameter between 2.4 blocks, and the
// cut of the blocks does not matter.
TEST(Lv2Dsp, portChangesBetweenVaryingBlocksMatchThe24Path)
{
    Host lv2;
    Host reference;
    std::vector<float> viaPorts, viaParameters;
    const uint32_t blocks[] = {1, 300, 7, 512, 64, 1000};
    uint32_t offset = 0;
    for (uint32_t i = 0; i < std::size(blocks); ++i)
    {
        lv2.setPort("compression", static_cast<float>(i) * 1.5f);
        lv2.setPort("ratio", static_cast<float>(i % 7));
        reference.dsp->getEffect().setParameter(params::kCompression, static_cast<float>(i * 1.5 / 10.0));
        reference.dsp->getEffect().setParameter(params::kRatio, static_cast<float>((i % 7) / 6.0));
        // The reference keeps its ports as they were: only its parameters move.
        const auto a = lv2.render(offset, blocks[i]);
        const auto b = reference.render(offset, blocks[i]);
        viaPorts.insert(viaPorts.end(), a.begin(), a.end());
        viaParameters.insert(viaParameters.end(), b.begin(), b.end());
        offset += blocks[i];
    }
    ASSERT_EQ(viaPorts.size(), viaParameters.size());
    EXPECT_EQ(0, std::memcmp(viaPorts.data(), viaParameters.data(), viaPorts.size() * sizeof(float)));
    EXPECT_GT(lv2.gainReduction, 0.0f);
    EXPECT_EQ(lv2.latency, 0.0f);
}

TEST(Lv2State, aSavedSessionRestoresValuesNameAndPresetExactly)
{
    Host first;
    Lv2Effect& effect = first.dsp->getEffect();
    effect.adoptPreset(5, "Bass DI");
    effect.setParameter(params::kTime, 0.900000036f); // no port value shows this one exactly
    effect.setParameter(7, 0.25f);
    ASSERT_EQ(first.save(), LV2_STATE_SUCCESS);

    Host second;
    second.stored = first.stored;
    ASSERT_EQ(second.restore(), LV2_STATE_SUCCESS);
    // The host then puts back the port values it saved, which show the
    // restored values as closely as ports can: they must not replace them.
    for (std::size_t i = 0; i < second.controls.size(); ++i)
        second.controls[i] =
            lv2port::portFromParameter(kControls[i], effect.getParameter(kControls[i].parameter));
    second.render(0, 8);
    for (int32_t i = 0; i < params::kCount; ++i)
        EXPECT_EQ(second.parameter(i), effect.getParameter(i)) << i;
    const SessionState restored = second.dsp->getEffect().captureState();
    EXPECT_EQ(restored.name, "Bass DI");
    EXPECT_EQ(restored.currentPreset, 5);
}

TEST(Lv2State, damagedOrFutureStateIsRefusedWholeAndTheSettingsStay)
{
    Host source;
    source.dsp->getEffect().setParameter(params::kOutput, 0.5f);
    ASSERT_EQ(source.save(), LV2_STATE_SUCCESS);

    struct Case
    {
        const char* what;
        void (*damage)(std::vector<uint8_t>&);
    };
    const Case cases[] = {
        {"future version", [](std::vector<uint8_t>& b) { b[4] = 2; }},
        {"truncated", [](std::vector<uint8_t>& b) { b.resize(b.size() - 1); }},
        {"value above 1", [](std::vector<uint8_t>& b) { b[8 + 4 * 6 + 3] = 0x40; }},
        {"NaN value", [](std::vector<uint8_t>& b) { std::memset(&b[8 + 4 * 5], 0xff, 4); }},
        {"unterminated name", [](std::vector<uint8_t>& b) { std::memset(&b[56], 'x', 25); }},
        {"preset 24", [](std::vector<uint8_t>& b) { b.back() = 24; }},
        {"not ours", [](std::vector<uint8_t>& b) { b[0] = 'X'; }},
    };
    for (const Case& c : cases)
    {
        Host target;
        target.dsp->getEffect().setParameter(params::kCompression, 0.9f);
        target.stored = source.stored;
        c.damage(target.stored.begin()->second.bytes);
        EXPECT_NE(target.restore(), LV2_STATE_SUCCESS) << c.what;
        EXPECT_EQ(target.parameter(params::kCompression), 0.9f) << c.what;
        EXPECT_EQ(target.parameter(params::kOutput), 0.0f) << c.what;
    }

    Host wrongType;
    wrongType.stored = source.stored;
    wrongType.stored.begin()->second.type = wrongType.urid(LV2_ATOM__String);
    EXPECT_EQ(wrongType.restore(), LV2_STATE_ERR_BAD_TYPE);
}

// A published preset carries only which factory preset it is.
TEST(Lv2State, aFactoryPresetFromTheHostMenuNamesThePresetBeingEdited)
{
    Host host;
    const auto presetState = [&](int32_t index)
    {
        std::vector<uint8_t> bytes(sizeof index);
        std::memcpy(bytes.data(), &index, sizeof index);
        host.stored = {{host.urid(lv2uri::kPresetKey), {host.urid(LV2_ATOM__Int), bytes}}};
    };
    presetState(14);
    ASSERT_EQ(host.restore(), LV2_STATE_SUCCESS);
    presetState(24);
    EXPECT_EQ(host.restore(), LV2_STATE_ERR_BAD_TYPE);
    const SessionState state = host.dsp->getEffect().captureState();
    EXPECT_EQ(state.currentPreset, 14);
    EXPECT_EQ(state.name, "Make it Pump");
}

TEST(Lv2State, withoutUridMapTheEffectRunsAndSavingSaysSo)
{
    const LV2_Feature* none[] = {nullptr};
    std::unique_ptr<DspInstance> dsp(DspInstance::create(48000.0, false, none));
    ASSERT_NE(dsp, nullptr);
    const auto store = [](LV2_State_Handle, uint32_t, const void*, size_t, uint32_t, uint32_t)
    { return LV2_STATE_SUCCESS; };
    EXPECT_EQ(dsp->save(store, nullptr), LV2_STATE_ERR_NO_FEATURE);
}

} // namespace
