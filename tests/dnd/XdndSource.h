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
    long flags = 0; // the whole second word, as some sources read it
};

class XdndSource
{
  public:
    // `offers`: type name -> data. More than three types go in XdndTypeList.
    explicit XdndSource(Display* connection, std::map<std::string, std::string> offers) : display(connection)
    {
        sourceWindow = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
        for (const auto& [type, data] : offers)
        {
            const Atom name = atom(type.c_str());
            types.push_back(name);
            payload[name] = data;
        }
        XSetSelectionOwner(display, atom("XdndSelection"), sourceWindow, CurrentTime);
        if (types.size() > 3)
            XChangeProperty(display, sourceWindow, atom("XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(types.data()),
                            static_cast<int>(types.size()));
        XSync(display, False);
    }
    ~XdndSource()
    {
        XDestroyWindow(display, sourceWindow);
        XSync(display, False);
    }
    XdndSource(const XdndSource&) = delete;
    XdndSource& operator=(const XdndSource&) = delete;

    void enter(::Window target)
    {
        long l[5] = {static_cast<long>(sourceWindow), (5L << 24) | (types.size() > 3 ? 1L : 0L), 0, 0, 0};
        for (size_t i = 0; i < types.size() && i < 3; ++i)
            l[2 + i] = static_cast<long>(types[i]);
        send(target, "XdndEnter", l);
    }
    void position(::Window target, int rootX, int rootY)
    {
        const long l[5] = {static_cast<long>(sourceWindow), 0, (long(rootX) << 16) | rootY, CurrentTime,
                           static_cast<long>(atom("XdndActionCopy"))};
        send(target, "XdndPosition", l);
    }
    void leave(::Window target)
    {
        const long l[5] = {static_cast<long>(sourceWindow), 0, 0, 0, 0};
        send(target, "XdndLeave", l);
    }
    void drop(::Window target)
    {
        const long l[5] = {static_cast<long>(sourceWindow), 0, CurrentTime, 0, 0};
        send(target, "XdndDrop", l);
    }

    // Handles what arrived: data requests and the target's answers.
    void pump()
    {
        while (XPending(display) > 0)
        {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == SelectionRequest) answerRequest(event.xselectionrequest);
            if (event.type == ClientMessage) record(event.xclient);
        }
    }

    ::Window window() const { return sourceWindow; }
    Atom atom(const char* name) { return XInternAtom(display, name, False); }

    bool silent = false; // never deliver the data
    std::vector<Answer> statuses;
    std::vector<Answer> finishes;
    int requests = 0;

  private:
    void send(::Window target, const char* type, const long (&l)[5])
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = target;
        event.xclient.message_type = atom(type);
        event.xclient.format = 32;
        for (int i = 0; i < 5; ++i)
            event.xclient.data.l[i] = l[i];
        XSendEvent(display, target, False, NoEventMask, &event);
        XSync(display, False);
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
        const auto found = payload.find(request.target);
        if (found != payload.end())
        {
            XChangeProperty(display, request.requestor, request.property, request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(found->second.data()),
                            static_cast<int>(found->second.size()));
            reply.xselection.property = request.property;
        }
        XSendEvent(display, request.requestor, False, NoEventMask, &reply);
        XSync(display, False);
    }

    void record(const XClientMessageEvent& m)
    {
        if (m.message_type == atom("XdndStatus"))
            statuses.push_back({(m.data.l[1] & 1) != 0, static_cast<Atom>(m.data.l[4]), m.data.l[1]});
        if (m.message_type == atom("XdndFinished"))
            finishes.push_back({(m.data.l[1] & 1) != 0, static_cast<Atom>(m.data.l[2]), m.data.l[1]});
    }

    Display* display;
    ::Window sourceWindow = 0;
    std::vector<Atom> types;
    std::map<Atom, std::string> payload;
};

} // namespace dndtest
