// A drag source of our own on a second display connection: it owns the drag
// selection, sends the source's messages to a window, answers requests for
// the data (unless told to stay silent) and records what the target answers.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <map>
#include <string>
#include <vector>

namespace dndtest
{

struct Answer
{
    bool accepted = false;
    Atom action = 0;
};

class XdndSource
{
  public:
    // `offers`: type name -> data. More than three types go in XdndTypeList.
    explicit XdndSource(Display* display, std::map<std::string, std::string> offers) : display_(display)
    {
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
        for (const auto& [type, data] : offers)
        {
            const Atom atom = atom_(type.c_str());
            types_.push_back(atom);
            data_[atom] = data;
        }
        XSetSelectionOwner(display_, atom_("XdndSelection"), window_, CurrentTime);
        if (types_.size() > 3)
            XChangeProperty(display_, window_, atom_("XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(types_.data()),
                            static_cast<int>(types_.size()));
        XSync(display_, False);
    }
    ~XdndSource()
    {
        XDestroyWindow(display_, window_);
        XSync(display_, False);
    }
    XdndSource(const XdndSource&) = delete;
    XdndSource& operator=(const XdndSource&) = delete;

    void enter(::Window target)
    {
        long l[5] = {static_cast<long>(window_), (5L << 24) | (types_.size() > 3 ? 1L : 0L), 0, 0, 0};
        for (size_t i = 0; i < types_.size() && i < 3; ++i)
            l[2 + i] = static_cast<long>(types_[i]);
        send(target, "XdndEnter", l);
    }
    void position(::Window target, int rootX, int rootY)
    {
        const long l[5] = {static_cast<long>(window_), 0, (long(rootX) << 16) | rootY, CurrentTime,
                           static_cast<long>(atom_("XdndActionCopy"))};
        send(target, "XdndPosition", l);
    }
    void leave(::Window target)
    {
        const long l[5] = {static_cast<long>(window_), 0, 0, 0, 0};
        send(target, "XdndLeave", l);
    }
    void drop(::Window target)
    {
        const long l[5] = {static_cast<long>(window_), 0, CurrentTime, 0, 0};
        send(target, "XdndDrop", l);
    }

    // Handles what arrived: data requests and the target's answers.
    void pump()
    {
        while (XPending(display_) > 0)
        {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == SelectionRequest) answerRequest(event.xselectionrequest);
            if (event.type == ClientMessage) record(event.xclient);
        }
    }

    ::Window window() const { return window_; }
    Atom atom(const char* name) { return atom_(name); }

    bool silent = false; // never deliver the data
    std::vector<Answer> statuses;
    std::vector<Answer> finishes;
    int requests = 0;

  private:
    Atom atom_(const char* name) { return XInternAtom(display_, name, False); }

    void send(::Window target, const char* type, const long (&l)[5])
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = target;
        event.xclient.message_type = atom_(type);
        event.xclient.format = 32;
        for (int i = 0; i < 5; ++i)
            event.xclient.data.l[i] = l[i];
        XSendEvent(display_, target, False, NoEventMask, &event);
        XSync(display_, False);
    }

    void answerRequest(const XSelectionRequestEvent& request)
    {
        ++requests;
        if (silent) return;
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.time = request.time;
        reply.xselection.property = None;
        const auto found = data_.find(request.target);
        if (found != data_.end())
        {
            XChangeProperty(display_, request.requestor, request.property, request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(found->second.data()),
                            static_cast<int>(found->second.size()));
            reply.xselection.property = request.property;
        }
        XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
        XSync(display_, False);
    }

    void record(const XClientMessageEvent& m)
    {
        if (m.message_type == atom_("XdndStatus"))
            statuses.push_back({(m.data.l[1] & 1) != 0, static_cast<Atom>(m.data.l[4])});
        if (m.message_type == atom_("XdndFinished"))
            finishes.push_back({(m.data.l[1] & 1) != 0, static_cast<Atom>(m.data.l[2])});
    }

    Display* display_;
    ::Window window_ = 0;
    std::vector<Atom> types_;
    std::map<Atom, std::string> data_;
};

} // namespace dndtest
