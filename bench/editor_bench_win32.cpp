// Figures for the editor on Windows (under Wine in CI): the time from
// effEditOpen to the first painted frame in a host window, and the CPU time
// of one idle pass while the meter moves. The Linux twin is editor_bench.cpp.
// Prints figures; asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "editor/ADEditor.h"
#include "gui/CFrame.h"
#include "plugin/AutoComp.h"

namespace
{

constexpr int kPasses = 2000;
constexpr int kBlock = 256;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

double threadCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return double(ticks(kernel) + ticks(user)) * 1e-7;
}

double wallSeconds()
{
    static const double frequency = []
    {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return double(now.QuadPart) / frequency;
}

void pumpMessages()
{
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

// Bursts at a slow beat: the gain reduction, and so the needle, keeps moving.
void runProgramme(AutoComp& effect, long& n, int blocks)
{
    std::vector<float> in(kBlock), out(kBlock);
    for (int b = 0; b < blocks; ++b)
    {
        for (int i = 0; i < kBlock; ++i, ++n)
        {
            const double t = double(n) / 44100.0;
            const double level = std::fmod(t, 0.5) < 0.1 ? 0.9 : 0.05;
            in[size_t(i)] = float(level * std::sin(2.0 * 3.141592653589793 * 220.0 * t));
        }
        float* inputs[] = {in.data(), in.data()};
        float* outputs[] = {out.data(), out.data()};
        effect.processReplacing(inputs, outputs, kBlock);
    }
}

} // namespace

int main()
{
    WNDCLASSA description{};
    description.lpfnWndProc = ::DefWindowProcA;
    description.hInstance = ::GetModuleHandleA(nullptr);
    description.lpszClassName = "AmberlitBenchHost";
    ::RegisterClassA(&description);
    HWND host = ::CreateWindowExA(0, "AmberlitBenchHost", "host", WS_POPUP | WS_VISIBLE, 40, 40, 400, 309,
                                  nullptr, nullptr, description.hInstance, nullptr);
    pumpMessages();

    auto* effect = new AutoComp(&quietHost);
    AEffect* record = effect->getAeffect();
    auto* editor = static_cast<ADEditor*>(effect->getEditor());
    const double start = wallSeconds();
    const double cpuStart = threadCpuSeconds();
    record->dispatcher(record, effEditOpen, 0, 0, host, 0.0f);
    // A host idles continuously; the first paint arrives through its message loop.
    while (editor->getFrame() && editor->getFrame()->isFirstDraw() && wallSeconds() - start < 5.0)
    {
        pumpMessages();
        record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f);
    }
    std::printf("Win32\n  effEditOpen to first painted frame        %.2f ms wall, %.2f ms CPU\n",
                (wallSeconds() - start) * 1e3, (threadCpuSeconds() - cpuStart) * 1e3);

    effect->setSampleRate(44100.0f);
    effect->resume();
    long n = 0;
    std::vector<double> wall;
    double cpu = 0.0;
    for (int pass = 0; pass < kPasses; ++pass)
    {
        runProgramme(*effect, n, 6); // about 35 ms of audio between idle calls
        pumpMessages();
        const double cpuBefore = threadCpuSeconds();
        const double wallBefore = wallSeconds();
        editor->idle();
        wall.push_back(wallSeconds() - wallBefore);
        cpu += threadCpuSeconds() - cpuBefore;
    }
    std::sort(wall.begin(), wall.end());
    std::printf(
        "  idle pass, meter moving                   mean %7.1f us CPU; wall median %7.1f us, p99 %7.1f us\n",
        cpu / kPasses * 1e6, wall[wall.size() / 2] * 1e6, wall[size_t(0.99 * double(wall.size() - 1))] * 1e6);
    record->dispatcher(record, effEditClose, 0, 0, nullptr, 0.0f);
    delete effect;
    ::DestroyWindow(host);
    return 0;
}
