// Our window as a target of drags from other X clients (the XDND protocol,
// version 5). While it lives, the window carries XdndAware; the source's
// messages become DropListener calls.
//
// The dragged data is asked for at enter and read when it arrives, never
// waited for: the source may be the host itself, on this very thread. The
// listener hears of the drag once the data is known. Every position is
// answered with a status and every drop with a finished message, whatever
// happens here, so that no source is left waiting for us. The status carries
// the listener's answer, so a position that comes before the data is
// answered once the data is known (or given up on).
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/x11/X11Platform.h"

namespace platform::x11
{

class XdndTarget
{
  public:
    static constexpr long kVersion = 5;
    // How long a source may take to deliver the dragged data.
    static constexpr uint32_t kDefaultDataTimeoutMs = 3000;

    XdndTarget(X11Platform& system, ::Window dropWindow, DropListener& receiver);
    // Withdraws XdndAware; a drop still waiting for data is finished as refused.
    ~XdndTarget();
    XdndTarget(const XdndTarget&) = delete;
    XdndTarget& operator=(const XdndTarget&) = delete;

    // True when the event belonged to a drag (it is then fully handled).
    // The listener may destroy this target from inside.
    bool handleEvent(const XEvent& event);
    // Gives up on data the source has not delivered in time; call it
    // regularly (the backend does from its event dispatch).
    void checkTimeout();
    void setDataTimeout(uint32_t milliseconds) { dataTimeoutMs = milliseconds; }

  private:
    enum class Fetch : uint8_t
    {
        Idle,    // nothing asked for
        Pending, // asked, waiting for SelectionNotify
        Done,    // dropData holds what arrived (possibly nothing)
    };

    struct Atoms;

    void onEnter(const XClientMessageEvent& message);
    void onPosition(const XClientMessageEvent& message);
    void onLeave(const XClientMessageEvent& message);
    void onDrop(const XClientMessageEvent& message);
    void onSelectionNotify(const XSelectionEvent& event);

    std::vector<Atom> offeredTypes(const XClientMessageEvent& message);
    Atom chooseType(const std::vector<Atom>& types) const;
    void requestData();
    DragData readData();
    // Tells the listener of the drag (once the data is known and a position
    // came); whether it would take a drop.
    bool deliverEnter();
    // Asks the listener about the last position and answers the source, also
    // when the listener destroys this target meanwhile.
    void answerPosition(bool enter);
    // The data is known (or given up on): carry on with what waited for it.
    void settle(DragData data);
    void completeDrop();
    void endDrag(); // back to no drag, without telling the listener
    bool hasData() const;

    void sendStatus(::Window source, bool accept);
    void sendFinished(::Window source, bool accepted);
    void sendToSource(::Window source, Atom type, const long (&data)[5]);
    Point toClient(long packedRoot) const;

    X11Platform& platform;
    Display* display;
    ::Window window;
    DropListener& listener;
    std::unique_ptr<Atoms> atomTable;
    // Cleared by the destructor: the listener may destroy us inside a call.
    std::shared_ptr<bool> lifeline;
    uint32_t dataTimeoutMs = kDefaultDataTimeoutMs;

    // The drag in progress (dragSource == 0: none).
    ::Window dragSource = 0;
    Atom wantedType = 0; // the type asked for; 0 when none is understood
    Fetch fetch = Fetch::Idle;
    uint32_t fetchStarted = 0;
    DragData dropData;
    bool positioned = false;
    bool entered = false; // the listener knows of the drag
    bool dropPending = false;
    bool statusOwed = false; // a position came before the data
    ::Window finishOwed = 0; // a source whose drop the listener is handling
    Point lastPoint;
};

// The local paths of the file:// URIs in a text/uri-list. Entries of other
// schemes, of other hosts and with broken escapes are left out.
std::vector<std::string> filesFromUriList(const std::string& uriList, const std::string& hostName);

} // namespace platform::x11
