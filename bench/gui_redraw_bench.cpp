// Redraw cost of an editor-sized view tree on the headless window system:
// a 400 x 309 skin background and a dozen film-strip knobs, composed through
// the frame's offscreen and presented, as the editor's idle does it.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "gui/CAnimKnob.h"
#include "gui/CBitmap.h"
#include "gui/CFrame.h"
#include "gui/CFrameOwner.h"
#include "platform/headless/HeadlessPlatform.h"
#include "resources/SkinLayout.h"

namespace
{

class BenchOwner final : public gui::CFrameOwner
{
  public:
    platform::Platform& getPlatform() override { return platform; }
    void beginEdit(std::int32_t) override {}
    void endEdit(std::int32_t) override {}
    void doIdleStuff() override {}
    std::int32_t getKnobMode() const override { return 0; }
    bool canHostSizeWindow() override { return false; }
    bool sizeWindow(std::int32_t, std::int32_t) override { return false; }

    platform::headless::HeadlessPlatform platform;
};

constexpr int kWidth = resources::kPanelWidth;
constexpr int kHeight = resources::kPanelHeight;
constexpr int kKnobs = 12;
constexpr int kKnobFrames = 41;
constexpr int kKnobSide = 114;

struct EditorSizedTree
{
    explicit EditorSizedTree(int scale = 1)
    {
        auto* host = owner.platform.addHostWindow({0, 0, kWidth * scale, kHeight * scale});
        frame = new gui::CFrame(gui::CViewRect{0, 0, kWidth, kHeight}, host, &owner, scale);
        auto* background = new gui::CBitmap(12128);
        frame->setBackground(background);
        background->release();
        auto* strip = new gui::CBitmap(12171);
        for (int i = 0; i < kKnobs; ++i)
        {
            const int left = (i % 4) * 95;
            const int top = (i / 4) * 95;
            knobs[i] = new gui::CAnimKnob(gui::CViewRect{left, top, left + kKnobSide, top + kKnobSide},
                                          nullptr, i, kKnobFrames, kKnobSide, strip);
            frame->addView(knobs[i]);
        }
        strip->release();
        owner.platform.lastWindow()->exposeAll();
        owner.platform.dispatchEvents();
    }
    ~EditorSizedTree() { frame->release(); }

    BenchOwner owner;
    gui::CFrame* frame = nullptr;
    gui::CAnimKnob* knobs[kKnobs] = {};
};

// Argument: the scale (1 or 2).
void fullRedraw(benchmark::State& state)
{
    EditorSizedTree tree(static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        tree.frame->setDirty(true);
        tree.frame->idle();
    }
}
BENCHMARK(fullRedraw)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void oneKnobUpdate(benchmark::State& state)
{
    EditorSizedTree tree(static_cast<int>(state.range(0)));
    float value = 0.0f;
    for (auto _ : state)
    {
        value = value > 0.9f ? 0.0f : value + 0.1f;
        tree.knobs[5]->setValue(value);
        tree.frame->idle();
    }
}
BENCHMARK(oneKnobUpdate)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
