// Test signals and exact comparison for the LV2 render check:
//   lv2_audio_tool signal OUT.wav RATE CHANNELS   a 4 s float WAV that crosses
//                                                 the compressor's range
//   lv2_audio_tool compare A.wav B.wav           exit 0 when every sample is
//                                                 bit-identical
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sndfile.h>

namespace
{

int writeSignal(const char* path, int rate, int channels)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path, SFM_WRITE, &info);
    if (!file) return std::fprintf(stderr, "cannot write %s: %s\n", path, sf_strerror(nullptr)), 1;
    const int64_t frames = 4 * static_cast<int64_t>(rate);
    std::vector<float> samples(static_cast<std::size_t>(frames * channels));
    uint32_t noise = 12345;
    for (int64_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / rate;
        // Bursts from -40 to -3 dBFS, a steady tone under them, and noise.
        const double level = std::pow(10.0, (-40.0 + 37.0 * std::fmod(t * 1.5, 1.0)) / 20.0);
        for (int c = 0; c < channels; ++c)
        {
            noise = noise * 1664525u + 1013904223u;
            const double hiss = (static_cast<double>(noise >> 8) / 8388608.0 - 1.0) * 0.01;
            const double tone = std::sin(2.0 * M_PI * (110.0 + 55.0 * c) * t);
            samples[static_cast<std::size_t>(i * channels + c)] =
                static_cast<float>(level * tone + 0.05 * std::sin(2.0 * M_PI * 997.0 * t) + hiss);
        }
    }
    const bool ok = sf_writef_float(file, samples.data(), frames) == frames;
    sf_close(file);
    return ok ? 0 : 1;
}

bool readAll(const char* path, SF_INFO& info, std::vector<float>& samples)
{
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (!file) return std::fprintf(stderr, "cannot read %s\n", path), false;
    samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    const bool ok = sf_readf_float(file, samples.data(), info.frames) == info.frames;
    sf_close(file);
    return ok;
}

int compare(const char* a, const char* b)
{
    SF_INFO infoA{}, infoB{};
    std::vector<float> samplesA, samplesB;
    if (!readAll(a, infoA, samplesA) || !readAll(b, infoB, samplesB)) return 1;
    if (infoA.channels != infoB.channels || infoA.frames != infoB.frames ||
        infoA.samplerate != infoB.samplerate)
    {
        std::fprintf(stderr, "%s and %s differ in shape\n", a, b);
        return 1;
    }
    for (std::size_t i = 0; i < samplesA.size(); ++i)
    {
        if (std::memcmp(&samplesA[i], &samplesB[i], sizeof(float)) != 0)
        {
            std::fprintf(stderr, "first difference at frame %zu channel %zu: %.9g vs %.9g\n",
                         i / static_cast<std::size_t>(infoA.channels),
                         i % static_cast<std::size_t>(infoA.channels), static_cast<double>(samplesA[i]),
                         static_cast<double>(samplesB[i]));
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "signal") == 0)
        return writeSignal(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 4 && std::strcmp(argv[1], "compare") == 0) return compare(argv[2], argv[3]);
    std::fprintf(stderr, "usage: lv2_audio_tool signal OUT.wav RATE CHANNELS | compare A.wav B.wav\n");
    return 2;
}
