#include "platform/x11/XdndTarget.h"

#include <X11/Xatom.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <utility>

namespace platform::x11
{

namespace
{

// Larger data would come in INCR pieces; no drop of ours needs that much.
constexpr long kMaxDataLongs = 4 * 1024 * 1024;
constexpr long kMaxTypes = 256;

bool startsWithNoCase(const std::string& text, size_t at, const char* prefix)
{
    for (size_t i = 0; prefix[i]; ++i)
    {
        if (at + i >= text.size() ||
            std::tolower(static_cast<unsigned char>(text[at + i])) != static_cast<unsigned char>(prefix[i]))
            return false;
    }
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Undoes %-escapes. Empty when an escape is broken or decodes to NUL, which
// no path may hold.
std::string percentDecoded(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '%')
        {
            out += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(text[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0)) return {};
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

// The local path of one file URI, or empty.
std::string pathOfFileUri(const std::string& uri, const std::string& hostName)
{
    if (!startsWithNoCase(uri, 0, "file:")) return {};
    std::string rest = uri.substr(5);
    if (rest.compare(0, 2, "//") == 0)
    {
        const size_t slash = rest.find('/', 2);
        if (slash == std::string::npos) return {};
        const std::string host = rest.substr(2, slash - 2);
        if (!host.empty() && host != "localhost" && host != hostName) return {};
        rest = rest.substr(slash);
    }
    if (rest.empty() || rest[0] != '/') return {};
    return percentDecoded(rest);
}

std::string trimmed(const std::string& line)
{
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const size_t last = line.find_last_not_of(" \t\r");
    return line.substr(first, last - first + 1);
}

std::string localHostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

void sendClientMessage(Display* display, ::Window source, Atom type, const long (&data)[5])
{
    if (!source) return;
    XEvent event{};
    XClientMessageEvent& m = event.xclient;
    m.type = ClientMessage;
    m.display = display;
    m.window = source;
    m.message_type = type;
    m.format = 32;
    std::copy(std::begin(data), std::end(data), m.data.l);
    // A source that went away costs a trapped error, nothing more.
    XSendEvent(display, source, False, NoEventMask, &event);
    XFlush(display);
}

// Accepting means a copy: we never take a file away from its source.
void sendStatusTo(Display* display, ::Window target, Atom status, Atom copy, ::Window source, bool accept)
{
    // Bit 1 asks for every position, so that the views see each move. A
    // refusal leaves the whole word 0: some sources take any non-zero flags
    // for an acceptance and show a copy cursor. Its empty no-send rectangle
    // still brings every position.
    const long data[5] = {static_cast<long>(target), accept ? 3L : 0L, 0, 0,
                          accept ? static_cast<long>(copy) : 0L};
    sendClientMessage(display, source, status, data);
}

} // namespace

std::vector<std::string> filesFromUriList(const std::string& uriList, const std::string& hostName)
{
    std::vector<std::string> files;
    size_t start = 0;
    while (start < uriList.size())
    {
        size_t end = uriList.find('\n', start);
        if (end == std::string::npos) end = uriList.size();
        const std::string line = trimmed(uriList.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        std::string path = pathOfFileUri(line, hostName);
        if (!path.empty()) files.push_back(std::move(path));
    }
    return files;
}

struct XdndTarget::Atoms
{
    Atom aware, enter, position, status, leave, drop, finished, selection, typeList, actionCopy;
    Atom uriList, utf8String, textUtf8, textPlain, incr, property;
};

XdndTarget::XdndTarget(X11Platform& system, ::Window dropWindow, DropListener& receiver)
    : platform(system), display(system.display()), window(dropWindow), listener(receiver),
      atomTable(std::make_unique<Atoms>()), lifeline(std::make_shared<bool>(true))
{
    static const char* const kNames[] = {"XdndAware",
                                         "XdndEnter",
                                         "XdndPosition",
                                         "XdndStatus",
                                         "XdndLeave",
                                         "XdndDrop",
                                         "XdndFinished",
                                         "XdndSelection",
                                         "XdndTypeList",
                                         "XdndActionCopy",
                                         "text/uri-list",
                                         "UTF8_STRING",
                                         "text/plain;charset=utf-8",
                                         "text/plain",
                                         "INCR",
                                         "AMBERLIT_DROP_DATA"};
    static_assert(sizeof kNames / sizeof kNames[0] == sizeof(Atoms) / sizeof(Atom));
    XInternAtoms(display, const_cast<char**>(kNames), sizeof kNames / sizeof kNames[0], False,
                 reinterpret_cast<Atom*>(atomTable.get()));
    const long version = kVersion;
    XChangeProperty(display, window, atomTable->aware, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
    // Settled on the server when registering returns: other clients look next.
    XSync(display, False);
}

XdndTarget::~XdndTarget()
{
    *lifeline = false;
    // A source waiting on its drop must hear the end of it.
    if (finishOwed)
        sendFinished(finishOwed, false);
    else if (dragSource && dropPending)
        sendFinished(dragSource, false);
    // The window may already be gone with its parent; the error is trapped.
    XDeleteProperty(display, window, atomTable->aware);
    XDeleteProperty(display, window, atomTable->property);
    XSync(display, False);
}

bool XdndTarget::handleEvent(const XEvent& event)
{
    if (event.type == SelectionNotify)
    {
        const XSelectionEvent& e = event.xselection;
        if (e.requestor != window || e.selection != atomTable->selection) return false;
        onSelectionNotify(e);
        return true;
    }
    if (event.type != ClientMessage || event.xclient.window != window || event.xclient.format != 32)
        return false;
    const XClientMessageEvent& m = event.xclient;
    if (m.message_type == atomTable->enter)
        onEnter(m);
    else if (m.message_type == atomTable->position)
        onPosition(m);
    else if (m.message_type == atomTable->leave)
        onLeave(m);
    else if (m.message_type == atomTable->drop)
        onDrop(m);
    else
        return false;
    return true;
}

void XdndTarget::checkTimeout()
{
    if (fetch != Fetch::Pending) return;
    if (platform.ticks() - fetchStarted < dataTimeoutMs) return;
    // Whatever arrives later is deleted unread.
    settle(DragData{});
}

// --- Messages from the source ------------------------------------------------------

void XdndTarget::onEnter(const XClientMessageEvent& m)
{
    if (dragSource)
    {
        // The previous source vanished without a leave or did not wait for
        // its drop: end that drag before this one begins.
        if (dropPending) sendFinished(dragSource, false);
        const bool tell = entered;
        DragData old = std::move(dropData);
        endDrag();
        auto alive = lifeline;
        if (tell) listener.onDragLeave(old);
        if (!*alive) return;
    }
    dragSource = static_cast<::Window>(m.data.l[0]);
    wantedType = chooseType(offeredTypes(m));
    if (wantedType)
        requestData();
    else
        fetch = Fetch::Done; // nothing we can read: a drag of no items
}

void XdndTarget::onPosition(const XClientMessageEvent& m)
{
    const auto source = static_cast<::Window>(m.data.l[0]);
    if (!dragSource || source != dragSource)
    {
        sendStatus(source, false);
        return;
    }
    lastPoint = toClient(m.data.l[2]);
    positioned = true;
    if (fetch != Fetch::Done)
    {
        statusOwed = true; // the source waits for it; the data decides
        return;
    }
    answerPosition(!entered);
}

void XdndTarget::answerPosition(bool enter)
{
    statusOwed = false;
    // Kept by value: the listener may end this target.
    const auto reply = [display = display, window = window, status = atomTable->status,
                        copy = atomTable->actionCopy, source = dragSource](bool accept)
    { sendStatusTo(display, window, status, copy, source, accept); };
    const bool usable = hasData();
    bool wanted = false;
    if (enter)
    {
        wanted = deliverEnter();
    }
    else
    {
        const DragData data = dropData;
        wanted = listener.onDragMove(data, lastPoint);
    }
    reply(usable && wanted);
}

void XdndTarget::onLeave(const XClientMessageEvent& m)
{
    if (!dragSource || static_cast<::Window>(m.data.l[0]) != dragSource) return;
    const bool tell = entered;
    const DragData data = std::move(dropData);
    endDrag();
    if (tell) listener.onDragLeave(data);
}

void XdndTarget::onDrop(const XClientMessageEvent& m)
{
    const auto source = static_cast<::Window>(m.data.l[0]);
    if (!dragSource || source != dragSource)
    {
        sendFinished(source, false);
        return;
    }
    if (fetch == Fetch::Pending)
    {
        dropPending = true; // completed when the data arrives or times out
        return;
    }
    completeDrop();
}

void XdndTarget::onSelectionNotify(const XSelectionEvent& e)
{
    if (fetch != Fetch::Pending || e.target != wantedType)
    {
        if (e.property != None) XDeleteProperty(display, window, e.property);
        return;
    }
    settle(e.property == None ? DragData{} : readData());
}

// --- The data ---------------------------------------------------------------------------

std::vector<Atom> XdndTarget::offeredTypes(const XClientMessageEvent& m)
{
    std::vector<Atom> types;
    if (!(m.data.l[1] & 1))
    {
        for (int i = 2; i < 5; ++i)
            if (m.data.l[i]) types.push_back(static_cast<Atom>(m.data.l[i]));
        return types;
    }
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const unsigned long mark = platform.errors().count();
    const int status = XGetWindowProperty(display, dragSource, atomTable->typeList, 0, kMaxTypes, False,
                                          XA_ATOM, &type, &format, &items, &after, &data);
    if (status == Success && !platform.errors().failedSince(mark) && type == XA_ATOM && format == 32 && data)
    {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        types.assign(atoms, atoms + items);
    }
    if (data) XFree(data);
    return types;
}

Atom XdndTarget::chooseType(const std::vector<Atom>& types) const
{
    const Atom preferred[] = {atomTable->uriList, atomTable->textUtf8, atomTable->utf8String,
                              atomTable->textPlain};
    for (Atom wanted : preferred)
        if (std::find(types.begin(), types.end(), wanted) != types.end()) return wanted;
    return 0;
}

void XdndTarget::requestData()
{
    XDeleteProperty(display, window, atomTable->property);
    XConvertSelection(display, atomTable->selection, wantedType, atomTable->property, window, CurrentTime);
    XFlush(display);
    fetch = Fetch::Pending;
    fetchStarted = platform.ticks();
}

DragData XdndTarget::readData()
{
    std::string bytes;
    bool complete = false;
    for (long offset = 0; offset < kMaxDataLongs;)
    {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        const long chunk = 64 * 1024;
        const int status = XGetWindowProperty(display, window, atomTable->property, offset, chunk, False,
                                              AnyPropertyType, &type, &format, &items, &after, &data);
        const bool usable = status == Success && data && format == 8 && type != atomTable->incr;
        if (usable) bytes.append(reinterpret_cast<const char*>(data), items);
        if (data) XFree(data);
        if (!usable) break;
        if (after == 0)
        {
            complete = true;
            break;
        }
        offset += chunk;
    }
    XDeleteProperty(display, window, atomTable->property);
    XFlush(display);
    if (!complete) return {};
    while (!bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    DragData result;
    if (wantedType == atomTable->uriList) result.files = filesFromUriList(bytes, localHostName());
    // A list of links elsewhere is still text the user dragged.
    if (result.files.empty()) result.text = std::move(bytes);
    return result;
}

void XdndTarget::settle(DragData data)
{
    dropData = std::move(data);
    fetch = Fetch::Done;
    if (dropPending)
    {
        dropPending = false;
        completeDrop();
    }
    else if (positioned && !entered)
    {
        answerPosition(true);
    }
    else if (statusOwed)
    {
        answerPosition(false);
    }
}

bool XdndTarget::hasData() const
{
    return wantedType && fetch == Fetch::Done && (!dropData.files.empty() || !dropData.text.empty());
}

// --- Telling the listener ------------------------------------------------------------

bool XdndTarget::deliverEnter()
{
    entered = true;
    const DragData data = dropData;
    return listener.onDragEnter(data, lastPoint);
}

void XdndTarget::completeDrop()
{
    auto alive = lifeline;
    const ::Window source = dragSource;
    if (dropData.files.empty() && dropData.text.empty())
    {
        // Nothing arrived that anyone could take: refused, and the drag ends.
        const bool tell = entered;
        endDrag();
        sendFinished(source, false);
        if (tell) listener.onDragLeave(DragData{});
        return;
    }
    // Owed until the listener answers, also if it destroys us meanwhile.
    finishOwed = source;
    if (!entered)
    {
        deliverEnter();
        if (!*alive) return;
        if (dragSource != source) // a nested event loop moved on to another drag
        {
            sendFinished(source, false);
            finishOwed = 0;
            return;
        }
    }
    const DragData data = std::move(dropData);
    const Point where = lastPoint;
    endDrag();
    const bool accepted = listener.onDrop(data, where);
    if (!*alive) return;
    sendFinished(source, accepted);
    finishOwed = 0;
}

void XdndTarget::endDrag()
{
    if (fetch == Fetch::Pending) XDeleteProperty(display, window, atomTable->property);
    dragSource = 0;
    wantedType = 0;
    fetch = Fetch::Idle;
    dropData = DragData{};
    positioned = false;
    entered = false;
    dropPending = false;
    statusOwed = false;
}

// --- Messages to the source -------------------------------------------------------

void XdndTarget::sendStatus(::Window source, bool accept)
{
    sendStatusTo(display, window, atomTable->status, atomTable->actionCopy, source, accept);
}

void XdndTarget::sendFinished(::Window source, bool accepted)
{
    // Never a move: the source must not delete what we may not have taken.
    const long data[5] = {static_cast<long>(window), accepted ? 1L : 0L,
                          accepted ? static_cast<long>(atomTable->actionCopy) : 0L, 0, 0};
    sendToSource(source, atomTable->finished, data);
}

void XdndTarget::sendToSource(::Window source, Atom type, const long (&data)[5])
{
    sendClientMessage(display, source, type, data);
}

Point XdndTarget::toClient(long packedRoot) const
{
    const int rootX = static_cast<int>((packedRoot >> 16) & 0xFFFF);
    const int rootY = static_cast<int>(packedRoot & 0xFFFF);
    int x = 0, y = 0;
    ::Window child = 0;
    if (!XTranslateCoordinates(display, platform.root(), window, rootX, rootY, &x, &y, &child)) return {};
    return Point{x, y};
}

} // namespace platform::x11
