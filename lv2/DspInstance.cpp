#include "lv2/DspInstance.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#include <lv2/atom/atom.h>

#include "lv2/Features.h"
#include "lv2/Uris.h"
#include "presets/FactoryPresets.h"

namespace
{

bool sameBits(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

} // namespace

DspInstance* DspInstance::create(double sampleRate, bool mono, const LV2_Feature* const* features)
{
    auto* map = lv2feature::find<LV2_URID_Map>(features, LV2_URID__map);
    auto* log = lv2feature::find<LV2_Log_Log>(features, LV2_LOG__log);
    try
    {
        return new DspInstance(sampleRate, mono, map, log);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr; // an exception must never unwind into the host
    }
}

DspInstance::DspInstance(double rate, bool monoVariant, LV2_URID_Map* map, LV2_Log_Log* log)
    : effect(std::make_unique<Lv2Effect>(&DspInstance::hostCallback)), sampleRate(static_cast<float>(rate)),
      mono(monoVariant)
{
    lv2_log_logger_init(&logger, map, log);
    // Without urid:map (simple file renderers) the effect runs, only its
    // state cannot be named; save and restore then say so.
    if (map)
    {
        stateKey = map->map(map->handle, lv2uri::kStateKey);
        chunkType = map->map(map->handle, LV2_ATOM__Chunk);
        presetKey = map->map(map->handle, lv2uri::kPresetKey);
        intType = map->map(map->handle, LV2_ATOM__Int);
    }
    AEffect* record = effect->getAeffect();
    record->user = this;
    record->dispatcher(record, effSetSampleRate, 0, 0, nullptr, sampleRate);
    if (mono)
    {
        VstSpeakerArrangement one{};
        one.numChannels = 1;
        effect->setSpeakerArrangement(&one, &one);
    }
    rememberPortValues();
}

DspInstance::~DspInstance() = default;

// The effect asks its host only for the version and the rate; every pin is
// connected (the mono variant says so through its speaker arrangement).
VstIntPtr DspInstance::hostCallback(AEffect* record, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    const auto* self = record ? static_cast<DspInstance*>(record->user) : nullptr;
    switch (opcode)
    {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetSampleRate:
        return self ? static_cast<VstIntPtr>(self->sampleRate) : 0;
    default:
        return 0;
    }
}

void DspInstance::connect(uint32_t port, void* data)
{
    if (port < lv2port::kNumControls)
    {
        controls[port] = static_cast<const float*>(data);
        return;
    }
    const uint32_t channels = mono ? 1 : 2;
    switch (port)
    {
    case lv2port::kGainReduction:
        gainReduction = static_cast<float*>(data);
        return;
    case lv2port::kLatency:
        latency = static_cast<float*>(data);
        return;
    default:
        break;
    }
    const uint32_t audio = port - lv2port::kFirstAudio;
    if (audio < channels)
        inputs[audio] = static_cast<const float*>(data);
    else if (audio < 2 * channels)
        outputs[audio - channels] = static_cast<float*>(data);
}

void DspInstance::activate()
{
    AEffect* record = effect->getAeffect();
    record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);
}

void DspInstance::deactivate()
{
    AEffect* record = effect->getAeffect();
    record->dispatcher(record, effMainsChanged, 0, 0, nullptr, 0.0f);
}

void DspInstance::takePortChanges()
{
    for (std::size_t i = 0; i < controls.size(); ++i)
    {
        if (!controls[i]) continue;
        const float value = *controls[i];
        if (sameBits(value, lastPortValues[i].load(std::memory_order_relaxed))) continue;
        lastPortValues[i].store(value, std::memory_order_relaxed);
        if (std::isnan(value)) continue; // names no value: the stored one stays
        const lv2port::ControlPort& port = lv2port::kControls[i];
        effect->setParameter(port.parameter, lv2port::parameterFromPort(port, value, 0.0f));
    }
}

void DspInstance::rememberPortValues()
{
    for (std::size_t i = 0; i < controls.size(); ++i)
    {
        const lv2port::ControlPort& port = lv2port::kControls[i];
        lastPortValues[i].store(lv2port::portFromParameter(port, effect->getParameter(port.parameter)),
                                std::memory_order_relaxed);
    }
}

void DspInstance::run(uint32_t frames)
{
    takePortChanges();
    if (latency) *latency = 0.0f;
    const uint32_t channels = mono ? 1 : 2;
    bool connected = true;
    for (uint32_t c = 0; c < channels; ++c)
        connected = connected && inputs[c] && outputs[c];
    if (connected && frames > 0)
    {
        // The 2.4 entry takes mutable pointers; it never writes through inputs.
        float* in[2] = {const_cast<float*>(inputs[0]), const_cast<float*>(inputs[mono ? 0 : 1])};
        float* out[2] = {outputs[0], outputs[mono ? 0 : 1]};
        AEffect* record = effect->getAeffect();
        // Blocks longer than the 2.4 entry's count are taken in parts.
        uint32_t done = 0;
        while (done < frames)
        {
            const uint32_t part = std::min<uint32_t>(frames - done, 1u << 30);
            float* inPart[2] = {in[0] + done, in[1] + done};
            float* outPart[2] = {out[0] + done, out[1] + done};
            record->processReplacing(record, inPart, outPart, static_cast<VstInt32>(part));
            done += part;
        }
    }
    if (gainReduction) *gainReduction = lv2port::gainReductionDb(effect->getMeterGain());
}

LV2_State_Status DspInstance::save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    if (!stateKey)
    {
        lv2_log_error(&logger, "amberLit: the host offers no urid:map; the state cannot be saved\n");
        return LV2_STATE_ERR_NO_FEATURE;
    }
    const std::vector<uint8_t> blob = encodeSessionState(effect->captureState());
    return store(handle, stateKey, blob.data(), blob.size(), chunkType,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

// A session without our key (a host preset of port values only) keeps what
// the ports set; anything else is taken whole or refused whole.
LV2_State_Status DspInstance::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    std::size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    if (!stateKey) return LV2_STATE_ERR_NO_FEATURE;
    const void* data = retrieve(handle, stateKey, &size, &type, &flags);
    if (!data) return restoreFactoryPreset(retrieve, handle);
    if (type != chunkType)
    {
        lv2_log_error(&logger, "amberLit: the saved state has the wrong type; the settings are kept\n");
        return LV2_STATE_ERR_BAD_TYPE;
    }
    SessionState state;
    const std::string error = decodeSessionState(data, size, state);
    if (!error.empty())
    {
        lv2_log_error(&logger, "amberLit: %s; the settings are kept\n", error.c_str());
        return LV2_STATE_ERR_UNKNOWN;
    }
    effect->restoreState(state);
    rememberPortValues();
    return LV2_STATE_SUCCESS;
}

// A factory preset from the host's menu: its ports set the values, this
// names the preset being edited. Anything else has no key of ours.
LV2_State_Status DspInstance::restoreFactoryPreset(LV2_State_Retrieve_Function retrieve,
                                                   LV2_State_Handle handle)
{
    std::size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* data = retrieve(handle, presetKey, &size, &type, &flags);
    if (!data) return LV2_STATE_SUCCESS;
    int32_t index = -1;
    if (type == intType && size == sizeof index) std::memcpy(&index, data, sizeof index);
    if (index < 0 || index >= kNumFactoryPresets)
    {
        lv2_log_error(&logger, "amberLit: the preset names no factory preset; the name is kept\n");
        return LV2_STATE_ERR_BAD_TYPE;
    }
    effect->adoptPreset(index, kFactoryPresets[static_cast<std::size_t>(index)].name);
    return LV2_STATE_SUCCESS;
}
