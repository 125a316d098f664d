#include "platform/headless/HeadlessPlatform.h"

#include <algorithm>
#include <utility>

namespace platform::headless
{

namespace
{

// Polls of the pointer without time passing before a loop is taken for stuck.
constexpr uint32_t kStallPolls = 100000;
constexpr uint32_t kBlack = 0xFF000000u;

bool selectableCommand(const MenuItem& item)
{
    return item.kind == MenuItem::Kind::Command;
}

bool menuHasCommand(const std::vector<MenuItem>& items, int32_t command)
{
    for (const MenuItem& item : items)
    {
        if (selectableCommand(item) && item.command == command) return true;
        if (item.kind == MenuItem::Kind::SubMenu && menuHasCommand(item.items, command)) return true;
    }
    return false;
}

std::optional<int32_t> findCommandByText(const std::vector<MenuItem>& items, const std::string& text)
{
    for (const MenuItem& item : items)
    {
        if (selectableCommand(item) && item.text == text) return item.command;
        if (item.kind == MenuItem::Kind::SubMenu)
        {
            if (auto found = findCommandByText(item.items, text)) return found;
        }
    }
    return std::nullopt;
}

Rect clampToSize(Rect r, Size s)
{
    r.left = std::clamp(r.left, 0, s.width);
    r.right = std::clamp(r.right, 0, s.width);
    r.top = std::clamp(r.top, 0, s.height);
    r.bottom = std::clamp(r.bottom, 0, s.height);
    return r;
}

} // namespace

// --- HeadlessPlatform ---------------------------------------------------------------

HeadlessPlatform::HeadlessPlatform() = default;
HeadlessPlatform::~HeadlessPlatform() = default;

NativeHandle HeadlessPlatform::newHandle()
{
    const NativeHandle handle = reinterpret_cast<NativeHandle>(nextHandle);
    nextHandle += 0x10;
    return handle;
}

NativeHandle HeadlessPlatform::addHostWindow(Rect screenRect, NativeHandle parent, std::string className,
                                             bool caption)
{
    const NativeHandle handle = newHandle();
    nodes[handle] = Node{parent, screenRect, std::move(className), caption, nullptr};
    return handle;
}

std::unique_ptr<Window> HeadlessPlatform::createChildWindow(NativeHandle parent, Size size,
                                                            WindowListener& listener)
{
    if (!parent || std::exchange(refusingNextWindow, false)) return nullptr;
    if (!nodes.contains(parent))
        nodes[parent] = Node{nullptr, Rect{0, 0, size.width, size.height}, "HostWindow", false, nullptr};
    const NativeHandle handle = newHandle();
    auto window = std::make_unique<HeadlessWindow>(*this, handle, parent, size, listener);
    const Rect& outer = nodes[parent].rect;
    nodes[handle] =
        Node{parent, Rect{outer.left, outer.top, outer.left + size.width, outer.top + size.height}, "Plugin",
             false, window.get()};
    openWindows.push_back(window.get());
    return window;
}

void HeadlessPlatform::forgetWindow(HeadlessWindow* window)
{
    openWindows.erase(std::remove(openWindows.begin(), openWindows.end(), window), openWindows.end());
    std::erase_if(exposes, [window](const PendingExpose& e) { return e.window == window; });
    nodes.erase(window->handle());
}

void HeadlessPlatform::forgetField(HeadlessEditField* field)
{
    fields.erase(std::remove(fields.begin(), fields.end(), field), fields.end());
}

void HeadlessPlatform::sleep(uint32_t milliseconds)
{
    now += milliseconds;
    slept += milliseconds;
}

void HeadlessPlatform::setPointer(Point screen, uint32_t buttons, uint32_t modifiers)
{
    script.clear();
    pointer = PointerState{screen, buttons, modifiers};
}

void HeadlessPlatform::scriptPointer(std::vector<PointerStep> steps)
{
    script = std::move(steps);
    scriptStart = now;
    stalled = false;
    pollsWithoutTime = 0;
}

const PointerStep* HeadlessPlatform::currentStep() const
{
    if (script.empty()) return nullptr;
    uint32_t elapsed = now - scriptStart;
    for (const PointerStep& step : script)
    {
        if (elapsed < step.holdMs) return &step;
        elapsed -= step.holdMs;
    }
    return &script.back();
}

bool HeadlessPlatform::pointerScriptDone() const
{
    return script.empty() || currentStep() == &script.back();
}

PointerState HeadlessPlatform::pointerState()
{
    pollsWithoutTime = now == lastPollTicks ? pollsWithoutTime + 1 : 0;
    lastPollTicks = now;
    if (pollsWithoutTime > kStallPolls && !stalled)
    {
        // A loop that never lets time pass would never see the script move on.
        stalled = true;
        const Point last = script.empty() ? pointer.screen : script.back().screen;
        script.clear();
        pointer = PointerState{last, 0, 0};
    }
    if (const PointerStep* step = currentStep())
        pointer = PointerState{step->screen, step->buttons, step->modifiers};
    return pointer;
}

void HeadlessPlatform::dispatchEvents()
{
    while (dispatchPendingExpose())
    {
    }
}

bool HeadlessPlatform::dispatchPendingExpose()
{
    if (exposes.empty()) return false;
    const PendingExpose next = exposes.front();
    exposes.pop_front();
    next.window->expose(next.area);
    return true;
}

void HeadlessPlatform::queueExpose(HeadlessWindow& window, Rect area)
{
    exposes.push_back({&window, area});
}

NativeHandle HeadlessPlatform::parentOf(NativeHandle window)
{
    const auto it = nodes.find(window);
    return it == nodes.end() ? nullptr : it->second.parent;
}

std::optional<Rect> HeadlessPlatform::windowRect(NativeHandle window)
{
    const auto it = nodes.find(window);
    if (it == nodes.end()) return std::nullopt;
    return it->second.rect;
}

std::string HeadlessPlatform::windowClassName(NativeHandle window)
{
    const auto it = nodes.find(window);
    return it == nodes.end() ? std::string() : it->second.className;
}

bool HeadlessPlatform::hasCaption(NativeHandle window)
{
    const auto it = nodes.find(window);
    return it != nodes.end() && it->second.caption;
}

bool HeadlessPlatform::resizeWindow(NativeHandle window, Size size)
{
    const auto it = nodes.find(window);
    if (it == nodes.end() || size.width < 0 || size.height < 0) return false;
    resizeLog.push_back({window, size});
    if (it->second.own) return it->second.own->setSize(size);
    it->second.rect.right = it->second.rect.left + size.width;
    it->second.rect.bottom = it->second.rect.top + size.height;
    return true;
}

void HeadlessPlatform::queueMenuCommand(int32_t command)
{
    menuAnswers.push_back({command, std::nullopt});
}

void HeadlessPlatform::queueMenuChoice(std::string text)
{
    menuAnswers.push_back({-1, std::move(text)});
}

int32_t HeadlessPlatform::popupMenu(const Menu& menu, Point screen, bool trackRight)
{
    int32_t answer = -1;
    if (!menuAnswers.empty())
    {
        const MenuAnswer next = menuAnswers.front();
        menuAnswers.pop_front();
        if (next.text)
            answer = findCommandByText(menu.items, *next.text).value_or(-1);
        else if (menuHasCommand(menu.items, next.command))
            answer = next.command;
    }
    menusShown.push_back(ShownMenu{menu, screen, trackRight, answer});
    return answer;
}

std::optional<std::string> HeadlessPlatform::chooseFile(const FileChooserRequest& request, Window*)
{
    requestedFiles.push_back(request);
    if (fileAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(fileAnswers.front());
    fileAnswers.pop_front();
    return answer;
}

void HeadlessPlatform::showMessage(const MessageRequest& request)
{
    messagesShown.push_back(request);
}

// --- HeadlessWindow ------------------------------------------------------------------

HeadlessWindow::HeadlessWindow(HeadlessPlatform& system, NativeHandle handle, NativeHandle parent, Size size,
                               WindowListener& receiver)
    : platform(system), nativeHandle(handle), parentHandle(parent), windowSize(size), listener(receiver)
{
    setSize(size);
}

HeadlessWindow::~HeadlessWindow()
{
    platform.forgetWindow(this);
}

Point HeadlessWindow::screenOrigin() const
{
    const auto rect = platform.windowRect(nativeHandle);
    return rect ? Point{rect->left, rect->top} : Point{};
}

Point HeadlessWindow::toScreen(Point client) const
{
    const Point origin = screenOrigin();
    return Point{origin.x + client.x, origin.y + client.y};
}

bool HeadlessWindow::setSize(Size size)
{
    if (size.width < 0 || size.height < 0) return false;
    windowSize = size;
    const std::size_t count = std::size_t(size.width) * std::size_t(size.height);
    back.assign(count, kBlack);
    screen.assign(count, kBlack);
    const auto it = platform.nodes.find(nativeHandle);
    if (it != platform.nodes.end())
    {
        it->second.rect.right = it->second.rect.left + size.width;
        it->second.rect.bottom = it->second.rect.top + size.height;
    }
    return true;
}

PixelSpan HeadlessWindow::backBuffer()
{
    return PixelSpan{back.data(), windowSize.width, windowSize.height, windowSize.width};
}

void HeadlessWindow::present(const Rect& area)
{
    const Rect r = clampToSize(area, windowSize);
    presented.push_back(area);
    for (int32_t y = r.top; y < r.bottom; ++y)
    {
        const std::size_t row = std::size_t(y) * std::size_t(windowSize.width);
        std::copy(back.begin() + std::ptrdiff_t(row + std::size_t(r.left)),
                  back.begin() + std::ptrdiff_t(row + std::size_t(r.right)),
                  screen.begin() + std::ptrdiff_t(row + std::size_t(r.left)));
    }
}

uint32_t HeadlessWindow::shownPixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= windowSize.width || y >= windowSize.height) return 0;
    return screen[std::size_t(y) * std::size_t(windowSize.width) + std::size_t(x)];
}

void HeadlessWindow::setCursor(Cursor cursor)
{
    currentCursor = cursor;
}

int32_t HeadlessWindow::popupMenu(const Menu& menu, Point at, bool trackRight)
{
    return platform.popupMenu(menu, at, trackRight);
}

std::unique_ptr<EditField> HeadlessWindow::openEditField(const EditFieldStyle& style,
                                                         EditFieldListener& receiver)
{
    platform.fieldsOpened.push_back(style);
    return std::make_unique<HeadlessEditField>(platform, style, receiver);
}

bool HeadlessWindow::setDropTarget(DropListener* receiver)
{
    drop = receiver;
    return true;
}

void HeadlessWindow::expose(Rect area)
{
    listener.onExpose(ExposeEvent{clampToSize(area, windowSize)});
}

void HeadlessWindow::press(Point where, uint32_t button, uint32_t modifiers)
{
    listener.onButtonPress(ButtonEvent{where, button, modifiers});
}

void HeadlessWindow::click(Point where, uint32_t button, uint32_t modifiers)
{
    platform.setPointer(toScreen(where), button, modifiers);
    press(where, button, modifiers);
    platform.setPointer(toScreen(where), 0, modifiers);
}

void HeadlessWindow::wheel(Point where, float distance, bool horizontal, uint32_t modifiers)
{
    listener.onWheel(WheelEvent{where, distance, horizontal, modifiers});
}

void HeadlessWindow::key(const KeyEvent& event)
{
    listener.onKey(event);
}

void HeadlessWindow::destroyNative()
{
    listener.onDestroyed();
}

// --- HeadlessEditField -----------------------------------------------------------------

HeadlessEditField::HeadlessEditField(HeadlessPlatform& system, EditFieldStyle style,
                                     EditFieldListener& receiver)
    : platform(system), fieldStyle(std::move(style)), listener(receiver)
{
    type(fieldStyle.text);
    platform.fields.push_back(this);
}

HeadlessEditField::~HeadlessEditField()
{
    platform.forgetField(this);
}

void HeadlessEditField::type(const std::string& text)
{
    const std::size_t limit = fieldStyle.maxLength < 0 ? 0 : std::size_t(fieldStyle.maxLength);
    content = text.substr(0, limit);
}

void HeadlessEditField::pressReturn()
{
    listener.onEditReturn();
}

void HeadlessEditField::loseFocus()
{
    listener.onEditFocusLost();
}

} // namespace platform::headless
