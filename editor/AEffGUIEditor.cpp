#include "editor/AEffGUIEditor.h"

#include "editor/EditorScale.h"

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
    if (frame) return;
    waitingScale = 0;
    if (!scaleFixed) scale = preferredScale() == 2 ? 2 : 1;
}

std::int32_t AEffGUIEditor::desktopScale()
{
    if (windowSystem && !dynamic_cast<platform::NullPlatform*>(windowSystem.get()))
        return windowSystem->desktopScale();
    static std::atomic<std::int32_t> asked{0};
    if (asked.load(std::memory_order_relaxed) == 0)
    {
        const auto native = makeNativePlatform();
        if (!native) return 1; // no display now; perhaps later
        asked.store(native->desktopScale(), std::memory_order_relaxed);
    }
    return asked.load(std::memory_order_relaxed);
}

bool AEffGUIEditor::changeScale(std::int32_t wanted)
{
    wanted = wanted == 2 ? 2 : 1;
    storeScaleChoice(wanted);
    scaleFixed = false;
    if (!frame)
    {
        scale = wanted;
        return true;
    }
    if (wanted == scale)
    {
        waitingScale = 0;
        return true;
    }
    const VstInt16 width = static_cast<VstInt16>((rect.right - rect.left) * wanted);
    const VstInt16 height = static_cast<VstInt16>((rect.bottom - rect.top) * wanted);
    if (!canHostSizeWindow() || !sizeWindow(width, height))
    {
        waitingScale = wanted;
        return false;
    }
    waitingScale = 0;
    scale = wanted;
    frame->setScale(wanted);
    return true;
}

bool AEffGUIEditor::clickOnPanel(std::int32_t x, std::int32_t y)
{
    platform::Window* window = frame ? frame->getOwnWindow() : nullptr;
    if (!window) return false;
    platform::Menu menu;
    menu.scale = scale;
    for (std::int32_t choice : {1, 2})
    {
        platform::MenuItem item;
        item.text = choice == 1 ? "Size 100%" : "Size 200%";
        item.command = choice;
        item.checked = choice == (waitingScale != 0 ? waitingScale : scale);
        menu.items.push_back(item);
    }
    if (waitingScale != 0)
    {
        // The host would not resize: say when the choice shows.
        platform::MenuItem note;
        note.kind = platform::MenuItem::Kind::Greyed;
        note.text = "(applies when the editor opens again)";
        menu.items.push_back(note);
    }
    const platform::Point origin = window->screenOrigin();
    const std::int32_t chosen =
        window->popupMenu(menu, platform::Point{origin.x + x * scale, origin.y + y * scale}, true);
    if (chosen == 1 || chosen == 2) changeScale(chosen);
    return true;
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
