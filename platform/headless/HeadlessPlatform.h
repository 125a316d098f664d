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
    bool buttonsSwapped() override { return swapped; }
    bool pressesMayBlock() override { return blockingPresses; }
    uint32_t ticks() override { return now; }
    void sleep(uint32_t milliseconds) override;
    uint32_t doubleClickTime() override { return doubleClickMs; }
    void dispatchEvents() override;
    bool dispatchPendingExpose() override;
    NativeHandle parentOf(NativeHandle window) override;
    std::optional<Rect> windowRect(NativeHandle window) override;
    std::string windowClassName(NativeHandle window) override;
    bool hasCaption(NativeHandle window) override;
    bool resizeWindow(NativeHandle window, Size size) override;
    int32_t dialogFrameHeight() override { return dialogFrame; }
    int32_t desktopScale() override { return desktopFactor; }
    std::optional<std::string> chooseFile(const FileChooserRequest& request, Window* owner) override;
    void showMessage(const MessageRequest& request) override;

    // --- Host windows ------------------------------------------------------
    // A foreign window at `screenRect`; answers its fake native handle.
    NativeHandle addHostWindow(Rect screenRect, NativeHandle parent = nullptr,
                               std::string className = "HostWindow", bool caption = false);
    const std::vector<WindowResize>& resizes() const { return resizeLog; }
    // The next createChildWindow fails.
    void refuseNextWindow() { refusingNextWindow = true; }
    // Our child windows alive now, oldest first.
    const std::vector<HeadlessWindow*>& windows() const { return openWindows; }
    HeadlessWindow* lastWindow() const { return openWindows.empty() ? nullptr : openWindows.back(); }

    // --- Clock --------------------------------------------------------------
    void setTicks(uint32_t ticks) { now = ticks; }
    void advance(uint32_t milliseconds) { now += milliseconds; }
    uint32_t sleptMilliseconds() const { return slept; }

    // --- Pointer --------------------------------------------------------------
    void setPointer(Point screen, uint32_t buttons = 0, uint32_t modifiers = 0);
    // Replaces any running script; the first step starts now.
    void scriptPointer(std::vector<PointerStep> steps);
    bool pointerScriptDone() const;
    // A loop polled the pointer this often without time passing; the script
    // was then cut short and the buttons released so the loop could end.
    bool pointerStalled() const { return stalled; }
    void setButtonsSwapped(bool on) { swapped = on; }
    // False plays a window system where gestures go on across idle calls.
    void setPressesMayBlock(bool block) { blockingPresses = block; }
    void setDialogFrameHeight(int32_t height) { dialogFrame = height; }
    void setDesktopScale(int32_t scale) { desktopFactor = scale; }

    // --- Menus ------------------------------------------------------------------
    // Answers for the next pop-ups, in order; without one a pop-up is dismissed.
    void queueMenuCommand(int32_t command);
    // Chooses the first selectable item with this text, sub-menus included.
    void queueMenuChoice(std::string text);
    void queueMenuDismiss() { queueMenuCommand(-1); }
    const std::vector<ShownMenu>& shownMenus() const { return menusShown; }

    // --- Edit fields ------------------------------------------------------------
    HeadlessEditField* openField() const { return fields.empty() ? nullptr : fields.back(); }
    const std::vector<EditFieldStyle>& openedFields() const { return fieldsOpened; }

    // --- File chooser and message boxes -------------------------------------------
    // Answers for the next choosers, in order; without one a chooser is cancelled.
    void queueFileAnswer(std::optional<std::string> path) { fileAnswers.push_back(std::move(path)); }
    const std::vector<FileChooserRequest>& fileRequests() const { return requestedFiles; }
    const std::vector<MessageRequest>& messages() const { return messagesShown; }

    // --- Exposes ------------------------------------------------------------------
    // Held until dispatchEvents or dispatchPendingExpose delivers it.
    void queueExpose(HeadlessWindow& window, Rect area);

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

    uintptr_t nextHandle = 0x1000;
    std::map<NativeHandle, Node> nodes;
    std::vector<HeadlessWindow*> openWindows;
    std::vector<HeadlessEditField*> fields;
    std::vector<WindowResize> resizeLog;
    bool refusingNextWindow = false;

    uint32_t now = 1000;
    uint32_t slept = 0;

    PointerState pointer;
    std::vector<PointerStep> script;
    uint32_t scriptStart = 0;
    uint32_t pollsWithoutTime = 0;
    uint32_t lastPollTicks = 0;
    bool stalled = false;
    bool swapped = false;
    bool blockingPresses = true;
    uint32_t doubleClickMs = 500;
    int32_t dialogFrame = 0;
    int32_t desktopFactor = 1;

    std::deque<MenuAnswer> menuAnswers;
    std::vector<ShownMenu> menusShown;
    std::vector<EditFieldStyle> fieldsOpened;
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<FileChooserRequest> requestedFiles;
    std::vector<MessageRequest> messagesShown;
    std::deque<PendingExpose> exposes;
};

class HeadlessWindow final : public Window
{
  public:
    HeadlessWindow(HeadlessPlatform& system, NativeHandle handle, NativeHandle parent, Size size,
                   WindowListener& receiver);
    ~HeadlessWindow() override;

    // --- Window -------------------------------------------------------------------
    NativeHandle handle() const override { return nativeHandle; }
    NativeHandle parent() const override { return parentHandle; }
    Point screenOrigin() const override;
    Size size() const override { return windowSize; }
    bool setSize(Size size) override;
    PixelSpan backBuffer() override;
    void present(const Rect& area) override;
    void setCursor(Cursor cursor) override;
    Cursor cursor() const override { return currentCursor; }
    int32_t popupMenu(const Menu& menu, Point at, bool trackRight) override;
    std::unique_ptr<EditField> openEditField(const EditFieldStyle& style,
                                             EditFieldListener& receiver) override;
    bool setDropTarget(DropListener* receiver) override;

    // --- Native events, as a test delivers them ------------------------------------------
    void expose(Rect area);
    void exposeAll() { expose(Rect{0, 0, windowSize.width, windowSize.height}); }
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
    const std::vector<uint32_t>& shownPixels() const { return screen; }
    const std::vector<Rect>& presentedAreas() const { return presented; }
    void clearPresented() { presented.clear(); }
    DropListener* dropTarget() const { return drop; }
    Point toScreen(Point client) const;

  private:
    HeadlessPlatform& platform;
    NativeHandle nativeHandle;
    NativeHandle parentHandle;
    Size windowSize;
    WindowListener& listener;
    std::vector<uint32_t> back;
    std::vector<uint32_t> screen;
    std::vector<Rect> presented;
    Cursor currentCursor = Cursor::Arrow;
    DropListener* drop = nullptr;
};

class HeadlessEditField final : public EditField
{
  public:
    HeadlessEditField(HeadlessPlatform& system, EditFieldStyle style, EditFieldListener& receiver);
    ~HeadlessEditField() override;

    std::string text() const override { return content; }

    // The user replaces the text (cut to the field's limit).
    void type(const std::string& text);
    // Return, and the loss of keyboard focus. The listener may destroy the
    // field in either; call nothing on it afterwards.
    void pressReturn();
    void loseFocus();
    const EditFieldStyle& style() const { return fieldStyle; }

  private:
    HeadlessPlatform& platform;
    EditFieldStyle fieldStyle;
    EditFieldListener& listener;
    std::string content;
};

} // namespace platform::headless
