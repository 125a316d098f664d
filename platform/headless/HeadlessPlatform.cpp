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
    const NativeHandle handle = reinterpret_cast<NativeHandle>(nextHandle_);
    nextHandle_ += 0x10;
    return handle;
}

NativeHandle HeadlessPlatform::addHostWindow(Rect screenRect, NativeHandle parent, std::string className,
                                             bool caption)
{
    const NativeHandle handle = newHandle();
    nodes_[handle] = Node{parent, screenRect, std::move(className), caption, nullptr};
    return handle;
}

std::unique_ptr<Window> HeadlessPlatform::createChildWindow(NativeHandle parent, Size size,
                                                            WindowListener& listener)
{
    if (!parent || std::exchange(refuseNextWindow_, false)) return nullptr;
    if (!nodes_.contains(parent))
        nodes_[parent] = Node{nullptr, Rect{0, 0, size.width, size.height}, "HostWindow", false, nullptr};
    const NativeHandle handle = newHandle();
    auto window = std::make_unique<HeadlessWindow>(*this, handle, parent, size, listener);
    const Rect& outer = nodes_[parent].rect;
    nodes_[handle] =
        Node{parent, Rect{outer.left, outer.top, outer.left + size.width, outer.top + size.height}, "Plugin",
             false, window.get()};
    windows_.push_back(window.get());
    return window;
}

void HeadlessPlatform::forgetWindow(HeadlessWindow* window)
{
    windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
    std::erase_if(exposes_, [window](const PendingExpose& e) { return e.window == window; });
    nodes_.erase(window->handle());
}

void HeadlessPlatform::forgetField(HeadlessEditField* field)
{
    fields_.erase(std::remove(fields_.begin(), fields_.end(), field), fields_.end());
}

void HeadlessPlatform::sleep(uint32_t milliseconds)
{
    ticks_ += milliseconds;
    slept_ += milliseconds;
    ++sleepCalls_;
}

void HeadlessPlatform::setPointer(Point screen, uint32_t buttons, uint32_t modifiers)
{
    script_.clear();
    pointer_ = PointerState{screen, buttons, modifiers};
}

void HeadlessPlatform::scriptPointer(std::vector<PointerStep> steps)
{
    script_ = std::move(steps);
    scriptStart_ = ticks_;
    stalled_ = false;
    pollsWithoutTime_ = 0;
}

const PointerStep* HeadlessPlatform::currentStep() const
{
    if (script_.empty()) return nullptr;
    uint32_t elapsed = ticks_ - scriptStart_;
    for (const PointerStep& step : script_)
    {
        if (elapsed < step.holdMs) return &step;
        elapsed -= step.holdMs;
    }
    return &script_.back();
}

bool HeadlessPlatform::pointerScriptDone() const
{
    return script_.empty() || currentStep() == &script_.back();
}

PointerState HeadlessPlatform::pointerState()
{
    ++polls_;
    ticks_ += pollCost_;
    pollsWithoutTime_ = ticks_ == lastPollTicks_ ? pollsWithoutTime_ + 1 : 0;
    lastPollTicks_ = ticks_;
    if (pollsWithoutTime_ > kStallPolls && !stalled_)
    {
        // A loop that never lets time pass would never see the script move on.
        stalled_ = true;
        const Point last = script_.empty() ? pointer_.screen : script_.back().screen;
        script_.clear();
        pointer_ = PointerState{last, 0, 0};
    }
    if (const PointerStep* step = currentStep())
        pointer_ = PointerState{step->screen, step->buttons, step->modifiers};
    return pointer_;
}

void HeadlessPlatform::dispatchEvents()
{
    while (dispatchPendingExpose())
    {
    }
}

bool HeadlessPlatform::dispatchPendingExpose()
{
    if (exposes_.empty()) return false;
    const PendingExpose next = exposes_.front();
    exposes_.pop_front();
    next.window->expose(next.area);
    return true;
}

void HeadlessPlatform::queueExpose(HeadlessWindow& window, Rect area)
{
    exposes_.push_back({&window, area});
}

NativeHandle HeadlessPlatform::parentOf(NativeHandle window)
{
    const auto it = nodes_.find(window);
    return it == nodes_.end() ? nullptr : it->second.parent;
}

std::optional<Rect> HeadlessPlatform::windowRect(NativeHandle window)
{
    const auto it = nodes_.find(window);
    if (it == nodes_.end()) return std::nullopt;
    return it->second.rect;
}

std::string HeadlessPlatform::windowClassName(NativeHandle window)
{
    const auto it = nodes_.find(window);
    return it == nodes_.end() ? std::string() : it->second.className;
}

bool HeadlessPlatform::hasCaption(NativeHandle window)
{
    const auto it = nodes_.find(window);
    return it != nodes_.end() && it->second.caption;
}

bool HeadlessPlatform::resizeWindow(NativeHandle window, Size size)
{
    const auto it = nodes_.find(window);
    if (it == nodes_.end() || size.width < 0 || size.height < 0) return false;
    resizes_.push_back({window, size});
    if (it->second.own) return it->second.own->setSize(size);
    it->second.rect.right = it->second.rect.left + size.width;
    it->second.rect.bottom = it->second.rect.top + size.height;
    return true;
}

void HeadlessPlatform::queueMenuCommand(int32_t command)
{
    menuAnswers_.push_back({command, std::nullopt});
}

void HeadlessPlatform::queueMenuChoice(std::string text)
{
    menuAnswers_.push_back({-1, std::move(text)});
}

int32_t HeadlessPlatform::popupMenu(const Menu& menu, Point screen, bool trackRight)
{
    int32_t answer = -1;
    if (!menuAnswers_.empty())
    {
        const MenuAnswer next = menuAnswers_.front();
        menuAnswers_.pop_front();
        if (next.text)
            answer = findCommandByText(menu.items, *next.text).value_or(-1);
        else if (menuHasCommand(menu.items, next.command))
            answer = next.command;
    }
    shownMenus_.push_back(ShownMenu{menu, screen, trackRight, answer});
    return answer;
}

std::optional<std::string> HeadlessPlatform::chooseFile(const FileChooserRequest& request, Window*)
{
    fileRequests_.push_back(request);
    if (fileAnswers_.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(fileAnswers_.front());
    fileAnswers_.pop_front();
    return answer;
}

void HeadlessPlatform::showMessage(const MessageRequest& request)
{
    messages_.push_back(request);
}

// --- HeadlessWindow ------------------------------------------------------------------

HeadlessWindow::HeadlessWindow(HeadlessPlatform& platform, NativeHandle handle, NativeHandle parent,
                               Size size, WindowListener& listener)
    : platform_(platform), handle_(handle), parent_(parent), size_(size), listener_(listener)
{
    setSize(size);
}

HeadlessWindow::~HeadlessWindow()
{
    platform_.forgetWindow(this);
}

Point HeadlessWindow::screenOrigin() const
{
    const auto rect = platform_.windowRect(handle_);
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
    size_ = size;
    const std::size_t count = std::size_t(size.width) * std::size_t(size.height);
    back_.assign(count, kBlack);
    screen_.assign(count, kBlack);
    const auto it = platform_.nodes_.find(handle_);
    if (it != platform_.nodes_.end())
    {
        it->second.rect.right = it->second.rect.left + size.width;
        it->second.rect.bottom = it->second.rect.top + size.height;
    }
    return true;
}

PixelSpan HeadlessWindow::backBuffer()
{
    return PixelSpan{back_.data(), size_.width, size_.height, size_.width};
}

void HeadlessWindow::present(const Rect& area)
{
    const Rect r = clampToSize(area, size_);
    presented_.push_back(area);
    for (int32_t y = r.top; y < r.bottom; ++y)
    {
        const std::size_t row = std::size_t(y) * std::size_t(size_.width);
        std::copy(back_.begin() + std::ptrdiff_t(row + std::size_t(r.left)),
                  back_.begin() + std::ptrdiff_t(row + std::size_t(r.right)),
                  screen_.begin() + std::ptrdiff_t(row + std::size_t(r.left)));
    }
}

uint32_t HeadlessWindow::shownPixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= size_.width || y >= size_.height) return 0;
    return screen_[std::size_t(y) * std::size_t(size_.width) + std::size_t(x)];
}

void HeadlessWindow::setCursor(Cursor cursor)
{
    cursor_ = cursor;
    cursors_.push_back(cursor);
}

int32_t HeadlessWindow::popupMenu(const Menu& menu, Point screen, bool trackRight)
{
    return platform_.popupMenu(menu, screen, trackRight);
}

std::unique_ptr<EditField> HeadlessWindow::openEditField(const EditFieldStyle& style,
                                                         EditFieldListener& listener)
{
    platform_.openedFields_.push_back(style);
    return std::make_unique<HeadlessEditField>(platform_, style, listener);
}

bool HeadlessWindow::setDropTarget(DropListener* listener)
{
    drop_ = listener;
    return true;
}

void HeadlessWindow::expose(Rect area)
{
    listener_.onExpose(ExposeEvent{clampToSize(area, size_)});
}

void HeadlessWindow::press(Point where, uint32_t button, uint32_t modifiers)
{
    listener_.onButtonPress(ButtonEvent{where, button, modifiers});
}

void HeadlessWindow::click(Point where, uint32_t button, uint32_t modifiers)
{
    platform_.setPointer(toScreen(where), button, modifiers);
    press(where, button, modifiers);
    platform_.setPointer(toScreen(where), 0, modifiers);
}

void HeadlessWindow::wheel(Point where, float distance, bool horizontal, uint32_t modifiers)
{
    listener_.onWheel(WheelEvent{where, distance, horizontal, modifiers});
}

void HeadlessWindow::key(const KeyEvent& event)
{
    listener_.onKey(event);
}

void HeadlessWindow::destroyNative()
{
    listener_.onDestroyed();
}

// --- HeadlessEditField -----------------------------------------------------------------

HeadlessEditField::HeadlessEditField(HeadlessPlatform& platform, EditFieldStyle style,
                                     EditFieldListener& listener)
    : platform_(platform), style_(std::move(style)), listener_(listener)
{
    type(style_.text);
    platform_.fields_.push_back(this);
}

HeadlessEditField::~HeadlessEditField()
{
    platform_.forgetField(this);
}

void HeadlessEditField::type(const std::string& text)
{
    const std::size_t limit = style_.maxLength < 0 ? 0 : std::size_t(style_.maxLength);
    text_ = text.substr(0, limit);
}

void HeadlessEditField::pressReturn()
{
    listener_.onEditReturn();
}

void HeadlessEditField::loseFocus()
{
    listener_.onEditFocusLost();
}

} // namespace platform::headless
