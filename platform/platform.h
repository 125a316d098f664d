// The toolkit's whole contract with a window system. Nothing above this header
// sees a native type: windows, events, menus and fields are reached through the
// classes below, and native events arrive as the small structs of this file.
// All calls run on the GUI thread of the host. Names avoid the macros of
// window-system headers (None, Expose, Bool, ...): backends include both.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform
{

// A native window handle as the host hands it over (an HWND, an X11 window
// id cast to a pointer, ...). Opaque to everything above the backends.
using NativeHandle = void*;

struct Point
{
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size
{
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Right and bottom are exclusive.
struct Rect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// 32-bit pixels 0xAARRGGBB in native byte order; presenting ignores alpha.
// stride is in pixels, not bytes.
struct PixelSpan
{
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
};

// Physical mouse buttons, before any swapped-buttons setting is applied.
enum MouseButton : uint32_t
{
    kButtonLeft = 1,
    kButtonMiddle = 2,
    kButtonRight = 4,
};

enum Modifier : uint32_t
{
    kModShift = 1,
    kModControl = 2,
    kModAlt = 4,
    kModCommand = 8,
};

// The pointer as polled "now": position in screen coordinates, the buttons
// held down (MouseButton bits) and the modifier keys held (Modifier bits).
struct PointerState
{
    Point screen;
    uint32_t buttons = 0;
    uint32_t modifiers = 0;
};

enum class Cursor : uint8_t
{
    Arrow,
    Wait,
    ResizeHorizontal,
    ResizeVertical,
    Move,
    ResizeDiagonalRising,  // bottom-left to top-right
    ResizeDiagonalFalling, // top-left to bottom-right
    NotAllowed,
    Hand,
};

// --- Events, translated at the backend's edge --------------------------------

// A part of the window needs its pixels again (first show, exposure).
struct ExposeEvent
{
    Rect area; // client coordinates
};

struct ButtonEvent
{
    Point where;         // client coordinates
    uint32_t button = 0; // one physical MouseButton bit
    uint32_t modifiers = 0;
};

struct WheelEvent
{
    Point where;           // client coordinates
    float distance = 0.0f; // notches, positive away from the user
    bool horizontal = false;
    uint32_t modifiers = 0;
};

enum class Key : uint8_t
{
    Character, // a key with no name of its own; see KeyEvent::character
    Backspace,
    Tab,
    Return,
    Escape,
    Space,
    Delete,
    Insert,
    Home,
    End,
    PageUp,
    PageDown,
    Left,
    Up,
    Right,
    Down,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
};

struct KeyEvent
{
    bool down = true;
    Key key = Key::Character;
    char32_t character = 0; // 0 for keys without a character
    uint32_t modifiers = 0;
};

// The frame's side of its window. Where a press may block (see
// Platform::pressesMayBlock) gestures are tracked by polling inside the press
// and only presses arrive; elsewhere the pointer's moves with a button held
// and its releases arrive too, as `onPointer`.
class WindowListener
{
  public:
    virtual void onExpose(const ExposeEvent& event) = 0;
    virtual void onButtonPress(const ButtonEvent& event) = 0;
    virtual void onWheel(const WheelEvent& event) = 0;
    // The same, telling whether the window had a use for the wheel: a child window on
    // Windows passes one it did not use on to its parent, as the system's default does.
    virtual bool onWheelUsed(const WheelEvent& event)
    {
        onWheel(event);
        return true;
    }
    virtual void onKey(const KeyEvent& event) = 0;
    // The native window went away under us (its parent was destroyed).
    virtual void onDestroyed() = 0;
    // The pointer moved with a button held, or a button came up: the state
    // right after the event.
    virtual void onPointer(const PointerState&) {}

  protected:
    ~WindowListener() = default;
};

// --- Pop-up menu ---------------------------------------------------------------

struct MenuItem
{
    enum class Kind : uint8_t
    {
        Command, // selectable; answers `command`
        Separator,
        Greyed,  // shown dimmed, not selectable
        Title,   // shown normally, not selectable
        SubMenu, // `text` is its title, `items` its entries
    };
    Kind kind = Kind::Command;
    std::string text;
    int32_t command = -1;
    bool checked = false;
    bool columnBreak = false; // this item starts a new column
    std::vector<MenuItem> items;
};

struct Menu
{
    std::vector<MenuItem> items;
    int32_t scale = 1; // device pixels per logical pixel, as the window that opens it
};

class PopupMenuListener
{
  public:
    // The menu closed: the chosen item's command, or -1 when dismissed. The
    // listener may destroy the menu's handle inside.
    virtual void onMenuClosed(int32_t command) = 0;

  protected:
    ~PopupMenuListener() = default;
};

// A pop-up menu that stays open while its caller goes on. Destroying it
// closes the menu without calling the listener.
class PopupMenu
{
  public:
    virtual ~PopupMenu() = default;
};

// --- One-line edit field ----------------------------------------------------

enum class TextAlign : uint8_t
{
    Left,
    Center,
    Right
};

struct EditFieldStyle
{
    Rect area; // client coordinates of the owning window, in its device pixels
    std::string text;
    TextAlign align = TextAlign::Left;
    std::string fontFace = "Arial";
    int32_t fontHeight = 12; // character height in logical pixels
    int32_t scale = 1;       // device pixels per logical pixel
    bool bold = false;
    bool italic = false;
    uint32_t textColor = 0xFFFFFFFF; // 0xAARRGGBB
    uint32_t backColor = 0xFF000000;
    int32_t maxLength = 255; // in bytes of UTF-8
};

// Either callback may destroy the field; the backend touches nothing of the
// field after calling one.
class EditFieldListener
{
  public:
    virtual void onEditReturn() = 0;
    virtual void onEditFocusLost() = 0;
    // Escape means nothing to a plain field; a dialog around one cancels on it.
    virtual void onEditEscape() {}

  protected:
    ~EditFieldListener() = default;
};

// Open while the object lives; destroying it closes the native field without
// calling the listener. It opens with all text selected and keyboard focus.
class EditField
{
  public:
    virtual ~EditField() = default;
    virtual std::string text() const = 0;
};

// --- Drops from other applications -----------------------------------------

struct DragData
{
    std::vector<std::string> files; // local paths
    std::string text;               // plain text when no files
};

// Enter and move answer whether a drop there would be taken: the backend
// shows the source a copy cursor for yes and a refusal for no.
class DropListener
{
  public:
    virtual bool onDragEnter(const DragData& data, Point where) = 0; // client coordinates
    virtual bool onDragMove(const DragData& data, Point where) = 0;
    virtual void onDragLeave(const DragData& data) = 0;
    virtual bool onDrop(const DragData& data, Point where) = 0;

  protected:
    ~DropListener() = default;
};

// --- Windows ---------------------------------------------------------------------

// A child surface inside a host window. The window keeps a back buffer of its
// client size; drawing goes there and `present` puts a part of it on screen.
class Window
{
  public:
    virtual ~Window() = default; // destroys the native window

    virtual NativeHandle handle() const = 0;
    virtual NativeHandle parent() const = 0;
    virtual Point screenOrigin() const = 0; // client top-left on the screen
    virtual Size size() const = 0;
    // Resizes without moving; the back buffer follows, its content is undefined.
    virtual bool setSize(Size size) = 0;

    virtual PixelSpan backBuffer() = 0;
    virtual void present(const Rect& area) = 0;

    virtual void setCursor(Cursor cursor) = 0;
    virtual Cursor cursor() const = 0;

    // Modal. Answers the chosen item's command, or -1 when dismissed.
    // trackRight: the menu follows the right button instead of the left.
    virtual int32_t popupMenu(const Menu& menu, Point screen, bool trackRight) = 0;
    // Opens the menu and returns at once where the window system must not be
    // held (X11): the listener hears the choice from a later event dispatch.
    // Where a menu is modal by nature (Win32) this default runs `popupMenu`,
    // tells the listener before returning and answers null.
    virtual std::unique_ptr<PopupMenu> openPopupMenu(const Menu& menu, Point screen, bool trackRight,
                                                     PopupMenuListener& listener);

    // Null when the field cannot be created.
    virtual std::unique_ptr<EditField> openEditField(const EditFieldStyle& style,
                                                     EditFieldListener& listener) = 0;

    // Null withdraws the registration. False when drops are not available.
    virtual bool setDropTarget(DropListener* listener) = 0;
};

// --- Dialogs ---------------------------------------------------------------

struct FileFilter
{
    std::string description; // "TRV Banks"
    std::string pattern;     // "*.trb"
};

struct FileChooserRequest
{
    enum class Mode : uint8_t
    {
        Open,
        Save
    };
    Mode mode = Mode::Open;
    std::string title;
    std::vector<FileFilter> filters;
    int32_t selectedFilter = 0;
    std::string directory;        // initial directory
    std::string fileName;         // initial name
    std::string defaultExtension; // without the dot
    bool mustExist = false;
    bool confirmOverwrite = false;
    int32_t scale = 1; // device pixels per logical pixel for a dialog of our own
};

enum class MessageIcon : uint8_t
{
    NoIcon,
    Information,
    Warning,
    Error
};

struct MessageRequest
{
    std::string caption;
    std::string text;
    MessageIcon icon = MessageIcon::NoIcon;
    int32_t scale = 1; // device pixels per logical pixel for a dialog of our own
};

// A file chooser or message box that stays open while its caller goes on;
// the caller polls it. Destroying it ends the dialog: nothing is chosen.
class DialogTask
{
  public:
    virtual ~DialogTask() = default;
    // True once the user has closed the dialog. Never blocks.
    virtual bool poll() = 0;
    // After poll() answered true: the chosen path; empty when cancelled, and
    // always for a message box.
    virtual std::optional<std::string> chosenPath() const = 0;
};

// --- The backend -------------------------------------------------------------

class Platform
{
  public:
    virtual ~Platform() = default;

    // A visible child window of `parent` at (0, 0); null without a parent or
    // when the window system refuses.
    virtual std::unique_ptr<Window> createChildWindow(NativeHandle parent, Size size,
                                                      WindowListener& listener) = 0;

    virtual PointerState pointerState() = 0;
    virtual bool buttonsSwapped() = 0; // left and right exchanged by the user
    virtual uint32_t ticks() = 0;      // milliseconds, wraps at 2^32
    virtual void sleep(uint32_t milliseconds) = 0;
    virtual uint32_t doubleClickTime() = 0; // milliseconds

    // Delivers every pending event of this backend's windows.
    virtual void dispatchEvents() = 0;
    // Delivers at most one pending expose; true when one was delivered.
    virtual bool dispatchPendingExpose() = 0;

    // Foreign windows (the host's chain above our child window).
    virtual NativeHandle parentOf(NativeHandle window) = 0;          // null at the top
    virtual std::optional<Rect> windowRect(NativeHandle window) = 0; // screen
    virtual std::string windowClassName(NativeHandle window) = 0;
    virtual bool hasCaption(NativeHandle window) = 0;
    virtual bool resizeWindow(NativeHandle window, Size size) = 0; // no move
    // Thickness of a dialog frame; 0 where windows have no such frame.
    virtual int32_t dialogFrameHeight() = 0;
    // Device pixels per logical pixel the desktop asks of applications (1 or 2).
    virtual int32_t desktopScale() { return 1; }

    // Whether a press may hold the thread in a tracking loop until the button
    // comes up, and so whether menus and dialogs may be modal loops. Win32's
    // modal loops dispatch the whole thread's messages, so the host goes on
    // running; on X11 nothing of ours may hold the host's thread, and gestures
    // are fed from idle and from `WindowListener::onPointer` instead.
    virtual bool pressesMayBlock() { return true; }

    // Modal; empty when cancelled.
    virtual std::optional<std::string> chooseFile(const FileChooserRequest& request, Window* owner) = 0;
    // Modal, one OK button.
    virtual void showMessage(const MessageRequest& request) = 0;
    // Start a dialog and return at once where the window system must not be
    // held (X11). Where dialogs are modal by nature (Win32) these defaults run
    // `chooseFile` or `showMessage` and hand back a task that has finished.
    // `owner`: the window the dialog belongs to (may be null).
    virtual std::unique_ptr<DialogTask> startFileChooser(const FileChooserRequest& request, Window* owner);
    virtual std::unique_ptr<DialogTask> startMessage(const MessageRequest& request, Window* owner);
};

} // namespace platform
