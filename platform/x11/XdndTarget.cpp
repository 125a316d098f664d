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
    // Bit 1: send every position, so that the views see each move.
    const long data[5] = {static_cast<long>(target), (accept ? 1L : 0L) | 2L, 0, 0,
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

XdndTarget::XdndTarget(X11Platform& platform, ::Window window, DropListener& listener)
    : platform_(platform), display_(platform.display()), window_(window), listener_(listener),
      atoms_(std::make_unique<Atoms>()), alive_(std::make_shared<bool>(true))
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
    XInternAtoms(display_, const_cast<char**>(kNames), sizeof kNames / sizeof kNames[0], False,
                 reinterpret_cast<Atom*>(atoms_.get()));
    const long version = kVersion;
    XChangeProperty(display_, window_, atoms_->aware, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
    // Settled on the server when registering returns: other clients look next.
    XSync(display_, False);
}

XdndTarget::~XdndTarget()
{
    *alive_ = false;
    // A source waiting on its drop must hear the end of it.
    if (finishOwed_)
        sendFinished(finishOwed_, false);
    else if (source_ && dropPending_)
        sendFinished(source_, false);
    // The window may already be gone with its parent; the error is trapped.
    XDeleteProperty(display_, window_, atoms_->aware);
    XDeleteProperty(display_, window_, atoms_->property);
    XSync(display_, False);
}

bool XdndTarget::handleEvent(const XEvent& event)
{
    if (event.type == SelectionNotify)
    {
        const XSelectionEvent& e = event.xselection;
        if (e.requestor != window_ || e.selection != atoms_->selection) return false;
        onSelectionNotify(e);
        return true;
    }
    if (event.type != ClientMessage || event.xclient.window != window_ || event.xclient.format != 32)
        return false;
    const XClientMessageEvent& m = event.xclient;
    if (m.message_type == atoms_->enter)
        onEnter(m);
    else if (m.message_type == atoms_->position)
        onPosition(m);
    else if (m.message_type == atoms_->leave)
        onLeave(m);
    else if (m.message_type == atoms_->drop)
        onDrop(m);
    else
        return false;
    return true;
}

void XdndTarget::checkTimeout()
{
    if (fetch_ != Fetch::Pending) return;
    if (platform_.ticks() - fetchStarted_ < dataTimeoutMs_) return;
    // Whatever arrives later is deleted unread.
    settle(DragData{});
}

// --- Messages from the source ------------------------------------------------------

void XdndTarget::onEnter(const XClientMessageEvent& m)
{
    if (source_)
    {
        // The previous source vanished without a leave or did not wait for
        // its drop: end that drag before this one begins.
        if (dropPending_) sendFinished(source_, false);
        const bool tell = entered_;
        DragData old = std::move(data_);
        endDrag();
        auto alive = alive_;
        if (tell) listener_.onDragLeave(old);
        if (!*alive) return;
    }
    source_ = static_cast<::Window>(m.data.l[0]);
    wanted_ = chooseType(offeredTypes(m));
    if (wanted_)
        requestData();
    else
        fetch_ = Fetch::Done; // nothing we can read: a drag of no items
}

void XdndTarget::onPosition(const XClientMessageEvent& m)
{
    const auto source = static_cast<::Window>(m.data.l[0]);
    if (!source_ || source != source_)
    {
        sendStatus(source, false);
        return;
    }
    lastPoint_ = toClient(m.data.l[2]);
    positioned_ = true;
    if (fetch_ != Fetch::Done)
    {
        statusOwed_ = true; // the source waits for it; the data decides
        return;
    }
    answerPosition(!entered_);
}

void XdndTarget::answerPosition(bool enter)
{
    statusOwed_ = false;
    // Kept by value: the listener may end this target.
    const auto reply = [display = display_, window = window_, status = atoms_->status,
                        copy = atoms_->actionCopy, source = source_](bool accept)
    { sendStatusTo(display, window, status, copy, source, accept); };
    const bool usable = hasData();
    bool wanted = false;
    if (enter)
    {
        wanted = deliverEnter();
    }
    else
    {
        const DragData data = data_;
        wanted = listener_.onDragMove(data, lastPoint_);
    }
    reply(usable && wanted);
}

void XdndTarget::onLeave(const XClientMessageEvent& m)
{
    if (!source_ || static_cast<::Window>(m.data.l[0]) != source_) return;
    const bool tell = entered_;
    const DragData data = std::move(data_);
    endDrag();
    if (tell) listener_.onDragLeave(data);
}

void XdndTarget::onDrop(const XClientMessageEvent& m)
{
    const auto source = static_cast<::Window>(m.data.l[0]);
    if (!source_ || source != source_)
    {
        sendFinished(source, false);
        return;
    }
    if (fetch_ == Fetch::Pending)
    {
        dropPending_ = true; // completed when the data arrives or times out
        return;
    }
    completeDrop();
}

void XdndTarget::onSelectionNotify(const XSelectionEvent& e)
{
    if (fetch_ != Fetch::Pending || e.target != wanted_)
    {
        if (e.property != None) XDeleteProperty(display_, window_, e.property);
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
    const unsigned long mark = platform_.errors().count();
    const int status = XGetWindowProperty(display_, source_, atoms_->typeList, 0, kMaxTypes, False, XA_ATOM,
                                          &type, &format, &items, &after, &data);
    if (status == Success && !platform_.errors().failedSince(mark) && type == XA_ATOM && format == 32 && data)
    {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        types.assign(atoms, atoms + items);
    }
    if (data) XFree(data);
    return types;
}

Atom XdndTarget::chooseType(const std::vector<Atom>& types) const
{
    const Atom preferred[] = {atoms_->uriList, atoms_->textUtf8, atoms_->utf8String, atoms_->textPlain};
    for (Atom wanted : preferred)
        if (std::find(types.begin(), types.end(), wanted) != types.end()) return wanted;
    return 0;
}

void XdndTarget::requestData()
{
    XDeleteProperty(display_, window_, atoms_->property);
    XConvertSelection(display_, atoms_->selection, wanted_, atoms_->property, window_, CurrentTime);
    XFlush(display_);
    fetch_ = Fetch::Pending;
    fetchStarted_ = platform_.ticks();
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
        const int status = XGetWindowProperty(display_, window_, atoms_->property, offset, chunk, False,
                                              AnyPropertyType, &type, &format, &items, &after, &data);
        const bool usable = status == Success && data && format == 8 && type != atoms_->incr;
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
    XDeleteProperty(display_, window_, atoms_->property);
    XFlush(display_);
    if (!complete) return {};
    while (!bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    DragData result;
    if (wanted_ == atoms_->uriList) result.files = filesFromUriList(bytes, localHostName());
    // A list of links elsewhere is still text the user dragged.
    if (result.files.empty()) result.text = std::move(bytes);
    return result;
}

void XdndTarget::settle(DragData data)
{
    data_ = std::move(data);
    fetch_ = Fetch::Done;
    if (dropPending_)
    {
        dropPending_ = false;
        completeDrop();
    }
    else if (positioned_ && !entered_)
    {
        answerPosition(true);
    }
    else if (statusOwed_)
    {
        answerPosition(false);
    }
}

bool XdndTarget::hasData() const
{
    return wanted_ && fetch_ == Fetch::Done && (!data_.files.empty() || !data_.text.empty());
}

// --- Telling the listener ------------------------------------------------------------

bool XdndTarget::deliverEnter()
{
    entered_ = true;
    const DragData data = data_;
    return listener_.onDragEnter(data, lastPoint_);
}

void XdndTarget::completeDrop()
{
    auto alive = alive_;
    const ::Window source = source_;
    if (data_.files.empty() && data_.text.empty())
    {
        // Nothing arrived that anyone could take: refused, and the drag ends.
        const bool tell = entered_;
        endDrag();
        sendFinished(source, false);
        if (tell) listener_.onDragLeave(DragData{});
        return;
    }
    // Owed until the listener answers, also if it destroys us meanwhile.
    finishOwed_ = source;
    if (!entered_)
    {
        deliverEnter();
        if (!*alive) return;
        if (source_ != source) // a nested event loop moved on to another drag
        {
            sendFinished(source, false);
            finishOwed_ = 0;
            return;
        }
    }
    const DragData data = std::move(data_);
    const Point where = lastPoint_;
    endDrag();
    const bool accepted = listener_.onDrop(data, where);
    if (!*alive) return;
    sendFinished(source, accepted);
    finishOwed_ = 0;
}

void XdndTarget::endDrag()
{
    if (fetch_ == Fetch::Pending) XDeleteProperty(display_, window_, atoms_->property);
    source_ = 0;
    wanted_ = 0;
    fetch_ = Fetch::Idle;
    data_ = DragData{};
    positioned_ = false;
    entered_ = false;
    dropPending_ = false;
    statusOwed_ = false;
}

// --- Messages to the source -------------------------------------------------------

void XdndTarget::sendStatus(::Window source, bool accept)
{
    sendStatusTo(display_, window_, atoms_->status, atoms_->actionCopy, source, accept);
}

void XdndTarget::sendFinished(::Window source, bool accepted)
{
    // Never a move: the source must not delete what we may not have taken.
    const long data[5] = {static_cast<long>(window_), accepted ? 1L : 0L,
                          accepted ? static_cast<long>(atoms_->actionCopy) : 0L, 0, 0};
    sendToSource(source, atoms_->finished, data);
}

void XdndTarget::sendToSource(::Window source, Atom type, const long (&data)[5])
{
    sendClientMessage(display_, source, type, data);
}

Point XdndTarget::toClient(long packedRoot) const
{
    const int rootX = static_cast<int>((packedRoot >> 16) & 0xFFFF);
    const int rootY = static_cast<int>(packedRoot & 0xFFFF);
    int x = 0, y = 0;
    ::Window child = 0;
    if (!XTranslateCoordinates(display_, platform_.root(), window_, rootX, rootY, &x, &y, &child)) return {};
    return Point{x, y};
}

} // namespace platform::x11
