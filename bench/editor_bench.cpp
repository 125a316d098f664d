// Figures for the editor: CPU time of one idle pass while the meter moves
// (headless, and on the X server when DISPLAY is set), and the time from
// effEditOpen to the first painted frame. Prints figures; asserts nothing.
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "editor/ADEditor.h"
#include "gui/CFrame.h"
#include "platform/headless/HeadlessPlatform.h"
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
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Bursts at a slow beat: the gain reduction, and so the needle, keeps moving.
class Programme
{
  public:
    explicit Programme(AutoComp& instance) : effect(instance), in(kBlock), out(kBlock)
    {
        effect.setSampleRate(44100.0f);
        effect.resume();
    }
    void nextBlock()
    {
        for (int i = 0; i < kBlock; ++i, ++n)
        {
            const double t = static_cast<double>(n) / 44100.0;
            const double level = std::fmod(t, 0.5) < 0.1 ? 0.9 : 0.05;
            in[static_cast<std::size_t>(i)] = static_cast<float>(level * std::sin(2.0 * M_PI * 220.0 * t));
        }
        float* inputs[] = {in.data(), in.data()};
        float* outputs[] = {out.data(), out.data()};
        effect.processReplacing(inputs, outputs, kBlock);
    }

  private:
    AutoComp& effect;
    std::vector<float> in, out;
    long n = 0;
};

void report(const char* label, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    double sum = 0.0;
    for (double s : samples)
        sum += s;
    const auto at = [&](double q) { return samples[static_cast<std::size_t>(q * (samples.size() - 1))]; };
    std::printf("  %-40s mean %7.1f us  median %7.1f us  p99 %7.1f us\n", label, sum / samples.size() * 1e6,
                at(0.5) * 1e6, at(0.99) * 1e6);
}

// Idles once per block of programme; only the idle is timed.
std::vector<double> timeIdlePasses(AutoComp& effect, ADEditor& editor)
{
    Programme programme(effect);
    std::vector<double> cpu;
    for (int pass = 0; pass < kPasses; ++pass)
    {
        for (int b = 0; b < 6; ++b) // about 35 ms of audio between idle calls
            programme.nextBlock();
        const double start = threadCpuSeconds();
        editor.idle();
        cpu.push_back(threadCpuSeconds() - start);
    }
    return cpu;
}

constexpr int kReopens = 15;

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Open to the first painted frame, for the first open in this process (what
// is decoded once is decoded then) and as the median of later reopenings.
struct OpenFigures
{
    std::vector<double> wall, cpu;
    void print() const
    {
        std::printf("  open to first painted frame, first       %.2f ms wall, %.2f ms CPU\n",
                    wall.front() * 1e3, cpu.front() * 1e3);
        std::printf("  open to first painted frame, median of %d %.2f ms wall, %.2f ms CPU\n",
                    static_cast<int>(wall.size()) - 1, median({wall.begin() + 1, wall.end()}) * 1e3,
                    median({cpu.begin() + 1, cpu.end()}) * 1e3);
    }
};

void benchHeadless(int scale)
{
    auto* effect = new AutoComp(&quietHost);
    auto* editor = static_cast<ADEditor*>(effect->getEditor());
    auto memory = std::make_unique<platform::headless::HeadlessPlatform>();
    platform::headless::HeadlessPlatform& screen = *memory;
    editor->setPlatform(std::move(memory));
    editor->setScale(scale);
    const auto parent = screen.addHostWindow(platform::Rect{0, 0, 400 * scale, 309 * scale});

    OpenFigures figures;
    for (int round = 0; round <= kReopens; ++round)
    {
        if (round > 0) editor->close();
        const double start = wallSeconds();
        const double cpuStart = threadCpuSeconds();
        editor->open(parent);
        screen.lastWindow()->exposeAll();
        figures.wall.push_back(wallSeconds() - start);
        figures.cpu.push_back(threadCpuSeconds() - cpuStart);
    }
    std::printf("headless window system, scale %d\n", scale);
    figures.print();
    report("idle pass, meter moving (CPU)", timeIdlePasses(*effect, *editor));
    delete effect;
}

void benchX11(int scale)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
    {
        std::printf("X server: none (DISPLAY unset or unreachable), skipped\n");
        return;
    }
    const ::Window parent =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(400 * scale),
                            static_cast<unsigned>(309 * scale), 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);

    auto* effect = new AutoComp(&quietHost);
    AEffect* record = effect->getAeffect();
    auto* editor = static_cast<ADEditor*>(effect->getEditor());
    editor->setScale(scale);
    OpenFigures figures;
    for (int round = 0; round <= kReopens; ++round)
    {
        if (round > 0) record->dispatcher(record, effEditClose, 0, 0, nullptr, 0.0f);
        const double start = wallSeconds();
        const double cpuStart = threadCpuSeconds();
        record->dispatcher(record, effEditOpen, 0, 0,
                           reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent)), 0.0f);
        // A host idles continuously; the first exposure arrives through idle.
        while (editor->getFrame() && editor->getFrame()->isFirstDraw() && wallSeconds() - start < 5.0)
            record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f);
        figures.wall.push_back(wallSeconds() - start);
        figures.cpu.push_back(threadCpuSeconds() - cpuStart);
    }
    std::printf("X server, scale %d\n", scale);
    figures.print();
    report("idle pass, meter moving (CPU)", timeIdlePasses(*effect, *editor));
    delete effect;
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
}

} // namespace

int main()
{
    std::printf("editor idle and opening, %d idle passes with the meter moving\n", kPasses);
    benchHeadless(1);
    benchHeadless(2);
    if (std::getenv("DISPLAY"))
    {
        benchX11(1);
        benchX11(2);
    }
    return 0;
}
