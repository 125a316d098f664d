// A window system in memory for tests and tools: windows are pixel buffers,
// the pointer and the clock are scripted, and menus, edit fields, file
// choosers and message boxes answer from queues and keep a record of what
// they were shown. Everything is deterministic; nothing touches a display.
// The platform must outlive every window and edit field it created.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::headless
{

class HeadlessEditField;
class HeadlessWindow;

// One stretch of a scripted pointer path: the state holds for `holdMs` of
// virtual time, then the next step takes over; the last step stays.
struct PointerStep
{
    Point screen;
    uint32_t buttons = 0;
    uint32_t modifiers = 0;
    uint32_t holdMs = 10;
};

struct ShownMenu
{
    Menu menu;
    Point screen;
    bool trackRight = false;
    int32_t answer = -1;
};

struct WindowResize
{
    NativeHandle window = nullptr;
    Size size;
};

class HeadlessPlatform final : public Platform
{
  public:
    HeadlessPlatform();
    ~HeadlessPlatform() override;

    // --- Platform --------------------------------------------------------
    std::unique_ptr<Window> createChildWindow(NativeHandle parent, Size size,
                                              WindowListener& listener) override;
    PointerState pointerState() override;
    bool buttonsSwapped() override { return swapped_; }
    bool pressesMayBlock() override { return pressesMayBlock_; }
    uint32_t ticks() override { return ticks_; }
    void sleep(uint32_t milliseconds) override;
    uint32_t doubleClickTime() override { return doubleClickTime_; }
    void dispatchEvents() override;
    bool dispatchPendingExpose() override;
    NativeHandle parentOf(NativeHandle window) override;
    std::optional<Rect> windowRect(NativeHandle window) override;
    std::string windowClassName(NativeHandle window) override;
    bool hasCaption(NativeHandle window) override;
    bool resizeWindow(NativeHandle window, Size size) override;
    int32_t dialogFrameHeight() override { return dialogFrameHeight_; }
    int32_t desktopScale() override { return desktopScale_; }
    std::optional<std::string> chooseFile(const FileChooserRequest& request, Window* owner) override;
    void showMessage(const MessageRequest& request) override;

    // --- Host windows ------------------------------------------------------
    // A foreign window at `screenRect`; answers its fake native handle.
    NativeHandle addHostWindow(Rect screenRect, NativeHandle parent = nullptr,
                               std::string className = "HostWindow", bool caption = false);
    const std::vector<WindowResize>& resizes() const { return resizes_; }
    // The next createChildWindow fails.
    void refuseNextWindow() { refuseNextWindow_ = true; }
    // Our child windows alive now, oldest first.
    const std::vector<HeadlessWindow*>& windows() const { return windows_; }
    HeadlessWindow* lastWindow() const { return windows_.empty() ? nullptr : windows_.back(); }

    // --- Clock --------------------------------------------------------------
    void setTicks(uint32_t ticks) { ticks_ = ticks; }
    void advance(uint32_t milliseconds) { ticks_ += milliseconds; }
    uint32_t sleptMilliseconds() const { return slept_; }
    uint32_t sleepCalls() const { return sleepCalls_; }
    // Virtual time that passes with every pointer poll (0 by default).
    void setPollCost(uint32_t milliseconds) { pollCost_ = milliseconds; }

    // --- Pointer --------------------------------------------------------------
    void setPointer(Point screen, uint32_t buttons = 0, uint32_t modifiers = 0);
    // Replaces any running script; the first step starts now.
    void scriptPointer(std::vector<PointerStep> steps);
    bool pointerScriptDone() const;
    // A loop polled the pointer this often without time passing; the script
    // was then cut short and the buttons released so the loop could end.
    bool pointerStalled() const { return stalled_; }
    uint32_t pointerPolls() const { return polls_; }
    void setButtonsSwapped(bool swapped) { swapped_ = swapped; }
    // False plays a window system where gestures go on across idle calls.
    void setPressesMayBlock(bool block) { pressesMayBlock_ = block; }
    void setDoubleClickTime(uint32_t milliseconds) { doubleClickTime_ = milliseconds; }
    void setDialogFrameHeight(int32_t height) { dialogFrameHeight_ = height; }
    void setDesktopScale(int32_t scale) { desktopScale_ = scale; }

    // --- Menus ------------------------------------------------------------------
    // Answers for the next pop-ups, in order; without one a pop-up is dismissed.
    void queueMenuCommand(int32_t command);
    // Chooses the first selectable item with this text, sub-menus included.
    void queueMenuChoice(std::string text);
    void queueMenuDismiss() { queueMenuCommand(-1); }
    const std::vector<ShownMenu>& shownMenus() const { return shownMenus_; }

    // --- Edit fields ------------------------------------------------------------
    HeadlessEditField* openField() const { return fields_.empty() ? nullptr : fields_.back(); }
    const std::vector<EditFieldStyle>& openedFields() const { return openedFields_; }

    // --- File chooser and message boxes -------------------------------------------
    // Answers for the next choosers, in order; without one a chooser is cancelled.
    void queueFileAnswer(std::optional<std::string> path) { fileAnswers_.push_back(std::move(path)); }
    const std::vector<FileChooserRequest>& fileRequests() const { return fileRequests_; }
    const std::vector<MessageRequest>& messages() const { return messages_; }

    // --- Exposes ------------------------------------------------------------------
    // Held until dispatchEvents or dispatchPendingExpose delivers it.
    void queueExpose(HeadlessWindow& window, Rect area);
    std::size_t pendingExposes() const { return exposes_.size(); }

  private:
    friend class HeadlessWindow;
    friend class HeadlessEditField;

    struct Node
    {
        NativeHandle parent = nullptr;
        Rect rect; // screen
        std::string className;
        bool caption = false;
        HeadlessWindow* own = nullptr;
    };
    struct MenuAnswer
    {
        int32_t command = -1;
        std::optional<std::string> text;
    };
    struct PendingExpose
    {
        HeadlessWindow* window = nullptr;
        Rect area;
    };

    NativeHandle newHandle();
    void forgetWindow(HeadlessWindow* window);
    void forgetField(HeadlessEditField* field);
    int32_t popupMenu(const Menu& menu, Point screen, bool trackRight);
    const PointerStep* currentStep() const;

    uintptr_t nextHandle_ = 0x1000;
    std::map<NativeHandle, Node> nodes_;
    std::vector<HeadlessWindow*> windows_;
    std::vector<HeadlessEditField*> fields_;
    std::vector<WindowResize> resizes_;
    bool refuseNextWindow_ = false;

    uint32_t ticks_ = 1000;
    uint32_t slept_ = 0;
    uint32_t sleepCalls_ = 0;
    uint32_t pollCost_ = 0;

    PointerState pointer_;
    std::vector<PointerStep> script_;
    uint32_t scriptStart_ = 0;
    uint32_t polls_ = 0;
    uint32_t pollsWithoutTime_ = 0;
    uint32_t lastPollTicks_ = 0;
    bool stalled_ = false;
    bool swapped_ = false;
    bool pressesMayBlock_ = true;
    uint32_t doubleClickTime_ = 500;
    int32_t dialogFrameHeight_ = 0;
    int32_t desktopScale_ = 1;

    std::deque<MenuAnswer> menuAnswers_;
    std::vector<ShownMenu> shownMenus_;
    std::vector<EditFieldStyle> openedFields_;
    std::deque<std::optional<std::string>> fileAnswers_;
    std::vector<FileChooserRequest> fileRequests_;
    std::vector<MessageRequest> messages_;
    std::deque<PendingExpose> exposes_;
};

class HeadlessWindow final : public Window
{
  public:
    HeadlessWindow(HeadlessPlatform& platform, NativeHandle handle, NativeHandle parent, Size size,
                   WindowListener& listener);
    ~HeadlessWindow() override;

    // --- Window -------------------------------------------------------------------
    NativeHandle handle() const override { return handle_; }
    NativeHandle parent() const override { return parent_; }
    Point screenOrigin() const override;
    Size size() const override { return size_; }
    bool setSize(Size size) override;
    PixelSpan backBuffer() override;
    void present(const Rect& area) override;
    void setCursor(Cursor cursor) override;
    Cursor cursor() const override { return cursor_; }
    int32_t popupMenu(const Menu& menu, Point screen, bool trackRight) override;
    std::unique_ptr<EditField> openEditField(const EditFieldStyle& style,
                                             EditFieldListener& listener) override;
    bool setDropTarget(DropListener* listener) override;

    // --- Native events, as a test delivers them ------------------------------------------
    void expose(Rect area);
    void exposeAll() { expose(Rect{0, 0, size_.width, size_.height}); }
    // Delivers a press at `where` (client) of one physical button.
    void press(Point where, uint32_t button = kButtonLeft, uint32_t modifiers = 0);
    // A whole click: the pointer moves there with the button held, the press is
    // delivered, and the button is up again afterwards.
    void click(Point where, uint32_t button = kButtonLeft, uint32_t modifiers = 0);
    void wheel(Point where, float distance, bool horizontal = false, uint32_t modifiers = 0);
    void key(const KeyEvent& event);
    void destroyNative();

    // --- Record ---------------------------------------------------------------------------
    // What the screen shows: the back buffer as of each present.
    uint32_t shownPixel(int32_t x, int32_t y) const;
    const std::vector<uint32_t>& shownPixels() const { return screen_; }
    const std::vector<Rect>& presentedAreas() const { return presented_; }
    void clearPresented() { presented_.clear(); }
    const std::vector<Cursor>& cursorHistory() const { return cursors_; }
    DropListener* dropTarget() const { return drop_; }
    Point toScreen(Point client) const;

  private:
    HeadlessPlatform& platform_;
    NativeHandle handle_;
    NativeHandle parent_;
    Size size_;
    WindowListener& listener_;
    std::vector<uint32_t> back_;
    std::vector<uint32_t> screen_;
    std::vector<Rect> presented_;
    Cursor cursor_ = Cursor::Arrow;
    std::vector<Cursor> cursors_;
    DropListener* drop_ = nullptr;
};

class HeadlessEditField final : public EditField
{
  public:
    HeadlessEditField(HeadlessPlatform& platform, EditFieldStyle style, EditFieldListener& listener);
    ~HeadlessEditField() override;

    std::string text() const override { return text_; }

    // The user replaces the text (cut to the field's limit).
    void type(const std::string& text);
    // Return, and the loss of keyboard focus. The listener may destroy the
    // field in either; call nothing on it afterwards.
    void pressReturn();
    void loseFocus();
    const EditFieldStyle& style() const { return style_; }

  private:
    HeadlessPlatform& platform_;
    EditFieldStyle style_;
    EditFieldListener& listener_;
    std::string text_;
};

} // namespace platform::headless
