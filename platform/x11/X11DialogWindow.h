// The frame of our own dialogs: a fixed-size top-level window above its owner
// and centred over it, its pixels, an optional one-line field, the modal
// section while it is shown, and the answer. The dialog around it lays out,
// draws and reads the input.
#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/x11/X11EditField.h"
#include "platform/x11/X11Image.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/X11Text.h"
#include "raster/CPixelSurface.h"

namespace platform::x11
{

// Colours the dialogs share.
constexpr gui::Pixel kDialogBackground = gui::makePixel(0xF0, 0xF0, 0xF0);
constexpr gui::Pixel kDialogText = gui::makePixel(0x10, 0x10, 0x10);
constexpr gui::Pixel kDialogEdge = gui::makePixel(0x70, 0x70, 0x70);
constexpr gui::Pixel kDialogButtonFace = gui::makePixel(0xE1, 0xE1, 0xE1);
constexpr gui::Pixel kDialogHighlight = gui::makePixel(0x33, 0x6E, 0xC8);

constexpr int kDialogButtonWidth = 80;
constexpr int kDialogButtonHeight = 24;

bool inside(const Rect& r, int x, int y);

// The one-line field of our dialogs over `area`: dark text on white, paths fit.
EditFieldStyle dialogFieldStyle(const Rect& area, int scale = 1);

// A one-pixel `edge` (times the font's scale), the button face and the label centred on it.
void drawDialogButton(gui::CPixelSurface& surface, const Rect& r, const TextStyle& font,
                      const std::string& label, gui::Pixel edge = kDialogEdge);

class X11DialogWindow
{
  public:
    X11DialogWindow(X11Platform& system, ::Window owner, Size size, const std::string& title);
    ~X11DialogWindow();
    X11DialogWindow(const X11DialogWindow&) = delete;
    X11DialogWindow& operator=(const X11DialogWindow&) = delete;

    // Maps the window with `events` taking its input, and with `fieldStyle`
    // a field reporting to `fieldListener`; input to our older windows waits
    // until it goes. False when it was shown already.
    bool show(X11EventTarget& events, const EditFieldStyle* fieldStyle, EditFieldListener& fieldListener);
    // Never blocks: focuses the field (else the window) once the server
    // lets it, and hides the window once answered; true then.
    bool poll();
    void finish(bool accept);
    bool accepted() const { return answer; }

    ::Window window() const { return handle; }
    X11EditField* field() const { return editField.get(); }
    PixelSpan pixels() { return image->pixels(); }
    void present() { image->present(Rect{0, 0, frameSize.width, frameSize.height}); }
    // The window manager's close button.
    bool isCloseRequest(const XEvent& event) const;

  private:
    X11Platform& platform;
    Display* display;
    Size frameSize;
    ::Window handle = 0;
    Atom deleteAtom = None;
    std::unique_ptr<X11Image> image;
    std::unique_ptr<X11EditField> editField;
    std::optional<X11Platform::ModalSection> modal;
    bool focused = false;
    bool done = false;
    bool answer = false;
};

} // namespace platform::x11
