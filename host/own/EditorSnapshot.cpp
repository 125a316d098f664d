#include "host/own/EditorSnapshot.h"

#include "editor/ADEditor.h"
#include "host/DemoProgramme.h"
#include "platform/headless/HeadlessPlatform.h"
#include "plugin/AutoComp.h"
#include "resources/SkinLayout.h"

#include <algorithm>
#include <memory>

namespace host
{
namespace
{

constexpr double snapshotRate = 44100.0;
constexpr int snapshotBlock = 512;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

void runProgramme(AutoComp& effect, double seconds)
{
    if (seconds <= 0.0) return;
    AudioBuffer programme = DemoProgramme::groove(snapshotRate, seconds);
    effect.setSampleRate(static_cast<float>(snapshotRate));
    effect.setBlockSize(snapshotBlock);
    effect.resume();
    std::vector<float> left(snapshotBlock), right(snapshotBlock), outL(snapshotBlock), outR(snapshotBlock);
    float* inputs[] = {left.data(), right.data()};
    float* outputs[] = {outL.data(), outR.data()};
    for (std::size_t start = 0; start < programme.frames(); start += snapshotBlock)
    {
        const auto frames =
            static_cast<VstInt32>(std::min<std::size_t>(snapshotBlock, programme.frames() - start));
        for (VstInt32 i = 0; i < frames; ++i)
        {
            left[static_cast<std::size_t>(i)] =
                static_cast<float>(programme.channels[0][start + static_cast<std::size_t>(i)]);
            right[static_cast<std::size_t>(i)] = static_cast<float>(
                programme
                    .channels[programme.channels.size() > 1 ? 1 : 0][start + static_cast<std::size_t>(i)]);
        }
        effect.processReplacing(inputs, outputs, frames);
    }
}

} // namespace

bool EditorSnapshot::render(const Settings& settings, gui::CPixelSurface& image)
{
    auto* effect = new AutoComp(&quietHost);
    std::unique_ptr<AudioEffect> owner(effect);
    auto* editor = dynamic_cast<ADEditor*>(effect->getEditor());
    if (!editor) return false;
    auto memory = std::make_unique<platform::headless::HeadlessPlatform>();
    platform::headless::HeadlessPlatform& screen = *memory;
    editor->setPlatform(std::move(memory));
    editor->setScale(settings.scale);

    if (settings.preset >= 0) effect->selectPreset(settings.preset);
    for (std::size_t i = 0; i < settings.values.size(); ++i)
        effect->setParameter(static_cast<VstInt32>(i), settings.values[i]);
    runProgramme(*effect, settings.programmeSeconds);

    const platform::NativeHandle parent = screen.addHostWindow(platform::Rect{
        0, 0, resources::kPanelWidth * editor->getScale(), resources::kPanelHeight * editor->getScale()});
    if (!editor->open(parent)) return false;
    platform::headless::HeadlessWindow& window = *screen.lastWindow();
    window.exposeAll();
    editor->idle(); // the meter takes the engine's reading
    editor->idle(); // and is drawn
    const platform::Size size = window.size();
    image = gui::CPixelSurface(size.width, size.height);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            image.setPixel(x, y, window.shownPixel(x, y));
    editor->close();
    return true;
}

} // namespace host
