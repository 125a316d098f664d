// A minimal host for comparing builds: loads a plug-in module as a host does
// (dlopen or LoadLibrary, then VSTPluginMain), renders a fixed programme
// through both process entries for a fixed list of settings, and writes the
// raw output, little-endian: per case, the 32-bit entry's frames (float L, R),
// then the 64-bit entry's (double L, R). The programme is made with integer
// arithmetic and exact operations only, so it is bit-identical on every system.
// OUTPUT.txt receives what a host reads from the module: record fields, names,
// parameter display texts over a sweep of values, capability answers.
//   amberlit_render_host MODULE OUTPUT [SECONDS]
// Prints the realtime factor of each entry (audio time / processing time).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "presets/FactoryPresets.h"
#include "shell/host_interface.h"
#include "tests/shell/LoadedModule.h"

namespace
{

constexpr double kRate = 48000.0;
constexpr VstInt32 kBlock = 512;

struct Setting
{
    const char* what;
    float values[7]; // parameters 0 to 6; 7 to 11 stay 0
};

Setting presetSetting(int index)
{
    const FactoryPreset& p = kFactoryPresets[static_cast<std::size_t>(index)];
    return {p.name, {p.process, 0.0f, p.ratio, 0.0f, p.time, p.compression, p.output}};
}

std::vector<Setting> settings()
{
    std::vector<Setting> all;
    for (int preset : {1, 4, 9, 10, 12, 14, 22})
        all.push_back(presetSetting(preset));
    all.push_back({"Clear 10:1 driven", {0.5f, 0.0f, 1.0f, 0.0f, 0.1f, 0.9f, 0.3f}});
    all.push_back({"Off", {0.0f, 0.0f, 0.5f, 0.0f, 0.5f, 0.5f, 0.2f}});
    return all;
}

// Saw tones with bursts of level and a little noise, left and right apart.
void makeProgramme(std::size_t frames, std::vector<double>& left, std::vector<double>& right)
{
    left.resize(frames);
    right.resize(frames);
    std::uint32_t noise = 12345;
    for (std::size_t n = 0; n < frames; ++n)
    {
        noise = noise * 1664525u + 1013904223u;
        const double white = static_cast<double>(noise >> 8) / 16777216.0 * 2.0 - 1.0;
        const double sawL = static_cast<double>(n % 218) / 109.0 - 1.0;
        const double sawR = static_cast<double>(n % 331) / 165.5 - 1.0;
        const std::size_t segment = n / 12000; // quarter seconds
        const double level = segment % 4 == 0 ? 0.9 : segment % 4 == 2 ? 0.3 : 0.02;
        left[n] = level * (0.8 * sawL + 0.1 * white);
        right[n] = level * (0.6 * sawR - 0.2 * white);
    }
}

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0; // every pin connected
}

std::string textOf(AEffect* effect, VstInt32 opcode, VstInt32 index = 0)
{
    char text[256] = {};
    const VstIntPtr answer = effect->dispatcher(effect, opcode, index, 0, text, 0.0f);
    return std::to_string(answer) + " \"" + text + "\"";
}

// Everything here is text, so two systems' answers compare byte for byte.
void describe(VstPluginMainProc entry, std::FILE* out)
{
    AEffect* effect = entry(host);
    if (!effect) return;
    std::fprintf(out, "magic %d flags %d programs %d params %d ins %d outs %d id %d version %d\n",
                 effect->magic, effect->flags, effect->numPrograms, effect->numParams, effect->numInputs,
                 effect->numOutputs, effect->uniqueID, effect->version);
    std::fprintf(out, "effect %s\nvendor %s\nproduct %s\nprogram %s\n",
                 textOf(effect, effGetEffectName).c_str(), textOf(effect, effGetVendorString).c_str(),
                 textOf(effect, effGetProductString).c_str(), textOf(effect, effGetProgramName).c_str());
    for (VstInt32 opcode : {effGetVendorVersion, effGetPlugCategory, effGetVstVersion, effGetTailSize})
        std::fprintf(out, "opcode %d answers %lld\n", opcode,
                     static_cast<long long>(effect->dispatcher(effect, opcode, 0, 0, nullptr, 0.0f)));
    for (const char* can :
         {"receiveVstEvents", "plugAsChannelInsert", "1in1out", "2in2out", "bypass", "sidechain"})
        std::fprintf(
            out, "canDo %s %lld\n", can,
            static_cast<long long>(effect->dispatcher(effect, effCanDo, 0, 0, const_cast<char*>(can), 0.0f)));
    for (VstInt32 i = 0; i < effect->numParams; ++i)
    {
        std::fprintf(out, "param %d name %s label %s\n", i, textOf(effect, effGetParamName, i).c_str(),
                     textOf(effect, effGetParamLabel, i).c_str());
        for (int step = 0; step <= 40; ++step)
        {
            effect->setParameter(effect, i, static_cast<float>(step) / 40.0f);
            std::fprintf(out, "  %d/40 reads %.9g shows %s\n", step, effect->getParameter(effect, i),
                         textOf(effect, effGetParamDisplay, i).c_str());
        }
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

template <typename Sample>
double render(VstPluginMainProc entry, const Setting& setting, const std::vector<double>& left,
              const std::vector<double>& right, std::FILE* out)
{
    AEffect* effect = entry(host);
    if (!effect) return -1.0;
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    effect->dispatcher(effect, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
    for (VstInt32 i = 0; i < 7; ++i)
        effect->setParameter(effect, i, setting.values[i]);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);

    std::vector<Sample> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock), frames(2 * kBlock);
    Sample* inputs[] = {inL.data(), inR.data()};
    Sample* outputs[] = {outL.data(), outR.data()};
    double seconds = 0.0;
    for (std::size_t start = 0; start < left.size(); start += kBlock)
    {
        const auto count = static_cast<VstInt32>(std::min<std::size_t>(kBlock, left.size() - start));
        for (VstInt32 i = 0; i < count; ++i)
        {
            inL[i] = static_cast<Sample>(left[start + i]);
            inR[i] = static_cast<Sample>(right[start + i]);
        }
        const auto began = std::chrono::steady_clock::now();
        if constexpr (sizeof(Sample) == sizeof(float))
            effect->processReplacing(effect, inputs, outputs, count);
        else
            effect->processDoubleReplacing(effect, inputs, outputs, count);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        for (VstInt32 i = 0; i < count; ++i)
        {
            frames[2 * i] = outL[i];
            frames[2 * i + 1] = outR[i];
        }
        std::fwrite(frames.data(), sizeof(Sample), 2 * static_cast<std::size_t>(count), out);
    }
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: %s MODULE OUTPUT [SECONDS]\n", argv[0]);
        return 2;
    }
    const double seconds = argc > 3 ? std::atof(argv[3]) : 4.0;
    const LoadedModule module(argv[1]);
    const auto entry = reinterpret_cast<VstPluginMainProc>(module.symbol("VSTPluginMain"));
    if (!module.loaded() || !entry)
    {
        std::fprintf(stderr, "cannot load %s: %s\n", argv[1], module.error().c_str());
        return 1;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out)
    {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    std::FILE* texts = std::fopen((std::string(argv[2]) + ".txt").c_str(), "wb");
    if (!texts) return 1;
    describe(entry, texts);
    if (std::fclose(texts) != 0) return 1;
    std::vector<double> left, right;
    makeProgramme(static_cast<std::size_t>(seconds * kRate), left, right);
    double time32 = 0.0, time64 = 0.0;
    for (const Setting& setting : settings())
    {
        const double t32 = render<float>(entry, setting, left, right, out);
        const double t64 = render<double>(entry, setting, left, right, out);
        if (t32 < 0.0 || t64 < 0.0) return 1;
        time32 += t32;
        time64 += t64;
    }
    if (std::fclose(out) != 0) return 1;
    const double audio = seconds * static_cast<double>(settings().size());
    std::printf("cases %zu frames %zu\n", settings().size(), left.size());
    std::printf("realtime factor, 32-bit entry: %.0f\n", audio / time32);
    std::printf("realtime factor, 64-bit entry: %.0f\n", audio / time64);
    return 0;
}
