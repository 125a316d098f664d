#include "editor/AEffGUIEditor.h"

#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "platform/NullPlatform.h"
#include "shell/AudioEffectX.h"
#ifdef AMBERLIT_NATIVE_PLATFORM
#include "platform/native.h"
#endif

namespace
{
// Pacing of doIdleStuff, in milliseconds of the platform's tick counter.
constexpr std::uint32_t kIdleInterval = 100;
constexpr std::int32_t kIdleEarlyWindow = 50; // a call this close to the due time runs
constexpr std::uint32_t kIdleWait = 4;        // every early call yields this long

std::unique_ptr<platform::Platform> makeNativePlatform()
{
#ifdef AMBERLIT_NATIVE_PLATFORM
    return platform::createNativePlatform();
#else
    return nullptr;
#endif
}
} // namespace

std::atomic<std::int32_t> AEffGUIEditor::knobMode{0};

AEffGUIEditor::AEffGUIEditor(AudioEffect* owner, std::unique_ptr<platform::Platform> system)
    : AEffEditor(owner), windowSystem(std::move(system))
{
    if (windowSystem) lastTicks = windowSystem->ticks();
    if (effect) effect->setEditor(this);
}

AEffGUIEditor::~AEffGUIEditor()
{
    // A concrete editor closes its frame; if it did not, the frame must still
    // go before the window system it lives on.
    if (frame)
    {
        gui::CFrame* leftover = frame;
        frame = nullptr;
        leftover->release();
    }
}

bool AEffGUIEditor::getRect(ERect** result)
{
    settleScale();
    const auto scaled = [this](VstInt16 v) { return static_cast<VstInt16>(v * scale); };
    shownRect = ERect{scaled(rect.top), scaled(rect.left), scaled(rect.bottom), scaled(rect.right)};
    if (result) *result = &shownRect;
    return true;
}

void AEffGUIEditor::setScale(std::int32_t value)
{
    scale = value == 2 ? 2 : 1;
    scaleFixed = true;
}

void AEffGUIEditor::settleScale()
{
    if (!frame && !scaleFixed) scale = preferredScale() == 2 ? 2 : 1;
}

void AEffGUIEditor::idle()
{
    if (!inIdle && frame) frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode)
{
    return frame && frame->onKeyDown(keyCode) == 1;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode)
{
    return frame && frame->onKeyUp(keyCode) == 1;
}

bool AEffGUIEditor::onWheel(float distance)
{
    if (!frame) return false;
    auto* context = new gui::CDrawContext(frame, nullptr, frame->getOwnWindow());
    gui::CViewPoint where = frame->getScreenPointer();
    where.offset(-context->offsetScreen.h, -context->offsetScreen.v);
    where = frame->toLogical(where.h, where.v);
    const bool handled = frame->onWheel(context, where, distance);
    context->release();
    return handled;
}

bool AEffGUIEditor::setKnobMode(VstInt32 val)
{
    knobMode.store(val, std::memory_order_relaxed);
    return true;
}

// Hosts take every gesture for one on a parameter; the preset bar's controls
// (name field, rocker, list) carry tags that are none.
bool AEffGUIEditor::isParameter(VstInt32 index) const
{
    return effect && index >= 0 && index < effect->getAeffect()->numParams;
}

void AEffGUIEditor::beginEdit(VstInt32 index)
{
    if (!isParameter(index)) return;
    if (auto* effectX = dynamic_cast<AudioEffectX*>(effect)) effectX->beginEdit(index);
}

void AEffGUIEditor::endEdit(VstInt32 index)
{
    if (!isParameter(index)) return;
    if (auto* effectX = dynamic_cast<AudioEffectX*>(effect)) effectX->endEdit(index);
}

void AEffGUIEditor::doIdleStuff()
{
    platform::Platform& system = getPlatform();
    std::uint32_t now = system.ticks();
    // Signed distance to the due time, so the pacing survives the counter's wrap.
    if (static_cast<std::int32_t>(lastTicks - now) > 0)
    {
        system.sleep(kIdleWait);
        now += kIdleWait;
        if (static_cast<std::int32_t>(lastTicks - now) > kIdleEarlyWindow) return;
    }
    idle();
    system.dispatchPendingExpose();
    lastTicks = now + kIdleInterval;

    inIdle = true;
    if (effect) effect->masterIdle();
    inIdle = false;
}

platform::Platform& AEffGUIEditor::getPlatform()
{
    if (!windowSystem)
    {
        // Nowhere to show windows (no display, or the editor is closed): a
        // window system that makes none keeps the toolkit's calls harmless.
        // The next open still looks for the native one.
        windowSystem = std::make_unique<platform::NullPlatform>();
        nativePlatform = false;
        lastTicks = windowSystem->ticks();
    }
    return *windowSystem;
}

bool AEffGUIEditor::hasPlatform()
{
    if (!windowSystem || dynamic_cast<platform::NullPlatform*>(windowSystem.get()))
    {
        if (auto native = makeNativePlatform())
        {
            windowSystem = std::move(native);
            nativePlatform = true;
            lastTicks = windowSystem->ticks();
        }
    }
    return windowSystem && !dynamic_cast<platform::NullPlatform*>(windowSystem.get());
}

bool AEffGUIEditor::setPlatform(std::unique_ptr<platform::Platform> system)
{
    if (frame) return false;
    windowSystem = std::move(system);
    nativePlatform = false;
    if (windowSystem) lastTicks = windowSystem->ticks();
    return true;
}

void AEffGUIEditor::releaseNativePlatform()
{
    if (frame || !nativePlatform) return;
    windowSystem.reset();
    nativePlatform = false;
}

bool AEffGUIEditor::canHostSizeWindow()
{
    auto* effectX = dynamic_cast<AudioEffectX*>(effect);
    char request[] = "sizeWindow";
    return effectX && effectX->canHostDo(request) != 0;
}

bool AEffGUIEditor::sizeWindow(std::int32_t width, std::int32_t height)
{
    auto* effectX = dynamic_cast<AudioEffectX*>(effect);
    return effectX && effectX->sizeWindow(width, height);
}
