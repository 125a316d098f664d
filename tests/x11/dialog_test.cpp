// File choosers and message boxes: the dialog program's command line and
// answers, the default extension, and our own dialog when no program works.
#include "X11TestSupport.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include "platform/x11/DBusWire.h"
#include "platform/x11/PortalFileChooser.h"
#include "platform/x11/X11Dialogs.h"
#include "platform/x11/X11FileDialog.h"
#include "platform/x11/X11PlainDialog.h"
#include "raster/PngFile.h"

namespace x11test
{
namespace
{

namespace fs = std::filesystem;
using x11::X11Dialogs;

// Speaks zenity's command line: records its arguments, prints the scripted answer.
constexpr const char* kStandIn = R"(#!/bin/sh
for a in "$@"; do printf '%s\n' "$a"; done >> "$DIALOG_ARGS"
echo ---- >> "$DIALOG_ARGS"
if [ "$1" = "--question" ]; then exit "${DIALOG_QUESTION_EXIT:-0}"; fi
[ -n "$DIALOG_ANSWER" ] && printf '%s\n' "$DIALOG_ANSWER"
exit "${DIALOG_EXIT:-0}"
)";

class DialogTest : public PlatformTest
{
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        if (!ready()) return;
        dir = fs::path(AMBERLIT_BINARY_DIR) / "x11-dialog-test";
        fs::remove_all(dir);
        fs::create_directories(dir);
        const fs::path script = dir / "standin.sh";
        std::ofstream(script) << kStandIn;
        fs::permissions(script, fs::perms::owner_all);
        setenv("AMBERLIT_DIALOG", script.c_str(), 1);
        setenv("DIALOG_ARGS", (dir / "args.txt").c_str(), 1);
        unsetenv("DIALOG_ANSWER");
        unsetenv("DIALOG_EXIT");
        unsetenv("DIALOG_QUESTION_EXIT");
    }
    void TearDown() override { unsetenv("AMBERLIT_DIALOG"); }

    std::vector<std::string> calls()
    {
        std::ifstream in(dir / "args.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    bool called(const std::string& argument)
    {
        const auto lines = calls();
        return std::find(lines.begin(), lines.end(), argument) != lines.end();
    }
    FileChooserRequest bankRequest(FileChooserRequest::Mode mode)
    {
        FileChooserRequest r;
        r.mode = mode;
        const bool save = mode == FileChooserRequest::Mode::Save;
        r.title = save ? "Save bank as..." : "Select bank to load...";
        r.filters = {{"All Files", "*.*"}, {"TRV Banks", "*.trb"}};
        r.selectedFilter = 1;
        r.directory = dir.string();
        r.defaultExtension = "trb";
        r.mustExist = !save;
        r.confirmOverwrite = save;
        return r;
    }

    fs::path dir;
};

TEST_F(DialogTest, OpenAnswersTheChosenPathAndPassesTitleAndFilters)
{
    const std::string bank = (dir / "mine.trb").string();
    std::ofstream(bank) << "x";
    setenv("DIALOG_ANSWER", bank.c_str(), 1);
    EXPECT_EQ(platform->chooseFile(bankRequest(FileChooserRequest::Mode::Open), nullptr), bank);
    const auto lines = calls();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "--file-selection");
    EXPECT_EQ(lines[1], "--title=Select bank to load...");
    EXPECT_EQ(lines[2], "--filename=" + dir.string() + "/");
    EXPECT_EQ(lines[3], "--file-filter=TRV Banks | *.trb"); // the preselected filter comes first
    EXPECT_EQ(lines[4], "--file-filter=All Files | *");
    EXPECT_FALSE(called("--save"));
}

TEST_F(DialogTest, AnswersThatAreNotAChoice)
{
    struct Case
    {
        const char* name;
        FileChooserRequest::Mode mode;
        const char* answer;
        const char* exit;
    };
    const Case cases[] = {
        {"cancelled", FileChooserRequest::Mode::Open, "", "1"},
        {"empty answer", FileChooserRequest::Mode::Save, "", "0"},
        {"missing file to open", FileChooserRequest::Mode::Open, "/nonexistent/bank.trb", "0"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        setenv("DIALOG_ANSWER", c.answer, 1);
        setenv("DIALOG_EXIT", c.exit, 1);
        EXPECT_EQ(platform->chooseFile(bankRequest(c.mode), nullptr), std::nullopt);
    }
}

TEST_F(DialogTest, SaveAddsTheDefaultExtensionAndAsksBeforeReplacingWhatThatHits)
{
    setenv("DIALOG_ANSWER", (dir / "mybank").c_str(), 1);
    EXPECT_EQ(platform->chooseFile(bankRequest(FileChooserRequest::Mode::Save), nullptr),
              (dir / "mybank.trb").string());
    EXPECT_TRUE(called("--save"));
    EXPECT_TRUE(called("--confirm-overwrite"));
    EXPECT_FALSE(called("--question"));

    // The program confirmed "mybank"; "mybank.trb" exists and needs its own question.
    std::ofstream(dir / "mybank.trb") << "x";
    setenv("DIALOG_QUESTION_EXIT", "1", 1);
    EXPECT_EQ(platform->chooseFile(bankRequest(FileChooserRequest::Mode::Save), nullptr), std::nullopt);
    EXPECT_TRUE(called("--question"));
    setenv("DIALOG_QUESTION_EXIT", "0", 1);
    EXPECT_EQ(platform->chooseFile(bankRequest(FileChooserRequest::Mode::Save), nullptr),
              (dir / "mybank.trb").string());
}

TEST_F(DialogTest, DefaultExtensionGoesOnlyOnNamesWithoutOne)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/a/b", "/a/b.trb"},     {"/a/b.trp", "/a/b.trp"},         {"/a/b.", "/a/b.trb"},
        {"/a.d/b", "/a.d/b.trb"}, {"/a/.hidden", "/a/.hidden.trb"},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(X11Dialogs::withDefaultExtension(in, "trb"), out) << in;
    EXPECT_EQ(X11Dialogs::withDefaultExtension("/a/b", ""), "/a/b");
}

TEST_F(DialogTest, MessageGoesToTheProgramWithCaptionAndText)
{
    platform->showMessage(MessageRequest{"Error...", "Not a bank file!", MessageIcon::Error});
    const auto lines = calls();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "--error");
    EXPECT_EQ(lines[1], "--title=Error...");
    EXPECT_EQ(lines[2], "--text=Not a bank file!");
}

// Our own dialog, found by its title, answered from another connection.
class PlainDialogTest : public DialogTest
{
  protected:
    std::thread answer(const std::string& title, const std::string& typed, KeySym last = XK_Return)
    {
        return std::thread(
            [this, title, typed, last]
            {
                Host u;
                for (int t = 0; t < 3000 && !seen; t += 10)
                {
                    seen = findTitled(u, title);
                    pause(10);
                }
                pause(100);
                if (!typed.empty()) u.type(typed);
                u.key(last);
                if (last == XK_Return) return;
                pause(500);
                if (findTitled(u, title)) u.key(XK_Return); // still open: fail, not hang
            });
    }
    static bool findTitled(Host& u, const std::string& title)
    {
        ::Window r = 0, p = 0;
        ::Window* children = nullptr;
        unsigned n = 0;
        bool found = false;
        XQueryTree(u.display, u.root, &r, &p, &children, &n);
        for (unsigned i = 0; i < n && !found; ++i)
        {
            char* name = nullptr;
            XWindowAttributes a{};
            if (XFetchName(u.display, children[i], &name) && name)
            {
                found = title == name && XGetWindowAttributes(u.display, children[i], &a) &&
                        a.map_state == IsViewable;
                XFree(name);
            }
        }
        if (children) XFree(children);
        return found;
    }
    std::atomic<bool> seen{false};
};

TEST_F(PlainDialogTest, MessageShowsOurOwnBoxWhenTheProgramFails)
{
    setenv("DIALOG_EXIT", "255", 1);
    std::thread user = answer("Error...", "");
    platform->showMessage(MessageRequest{"Error...", "Error #01: Invalid preset file!", MessageIcon::Error});
    user.join();
    EXPECT_TRUE(seen);
}

TEST_F(PlainDialogTest, FileChooserWithoutAnyProgramTakesATypedPathOrEscape)
{
    setenv("AMBERLIT_DIALOG", "/nonexistent/dialog", 1);
    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "";
    setenv("PATH", dir.c_str(), 1); // no zenity, no kdialog
    struct Case
    {
        KeySym last;
        std::optional<std::string> chosen;
    };
    // Escape reaches the typing field, not the dialog: it must still cancel.
    const Case cases[] = {{XK_Return, dir.string() + "/typed.trb"}, {XK_Escape, std::nullopt}};
    for (const Case& c : cases)
    {
        seen = false;
        FileChooserRequest request = bankRequest(FileChooserRequest::Mode::Save);
        request.directory.clear();
        std::thread user = answer("Save bank as...", dir.string() + "/typed", c.last);
        const auto chosen = platform->chooseFile(request, nullptr);
        user.join();
        EXPECT_TRUE(seen);
        EXPECT_EQ(chosen, c.chosen);
    }
    setenv("PATH", savedPath.c_str(), 1);
}

TEST_F(DialogTest, OurOwnChooserBrowsesFoldersAndShowsTheFilter)
{
    const fs::path top = dir / "browse";
    fs::create_directories(top / "sub");
    for (const char* name : {"a.trb", "b.txt", ".hidden.trb", "sub/c.trb"})
        std::ofstream(top / name) << "x";
    FileChooserRequest request = bankRequest(FileChooserRequest::Mode::Open);
    x11::X11FileDialog chooser(*platform, None, request, top.string() + "/");
    chooser.show();
    auto names = [&]
    {
        std::vector<std::string> out;
        for (const auto& entry : chooser.entries())
            out.push_back(entry.name);
        return out;
    };
    auto at = [&](const Rect& r)
    {
        int x = 0, y = 0;
        ::Window child = 0;
        XTranslateCoordinates(host.display, chooser.window(), host.root, 0, 0, &x, &y, &child);
        return Point{x + (r.left + r.right) / 2, y + (r.top + r.bottom) / 2};
    };
    auto clickAt = [&](Point p, int times = 1)
    {
        host.moveTo(p.x, p.y);
        for (int i = 0; i < times; ++i)
            host.click(p.x, p.y);
        pumpUntil(
            *platform, [] { return false; }, 150);
    };
    pumpUntil(
        *platform, [] { return false; }, 300);
    EXPECT_EQ(names(), (std::vector<std::string>{"..", "sub", "a.trb"})); // folders, then the filter's files

    clickAt(at(chooser.filterRect())); // the next filter: all files
    EXPECT_EQ(chooser.filterIndex(), 0u);
    EXPECT_EQ(names(), (std::vector<std::string>{"..", "sub", "a.trb", "b.txt"}));
    {
        // A picture for people to look at.
        XWindowAttributes a{};
        XGetWindowAttributes(host.display, chooser.window(), &a);
        XImage* image = XGetImage(host.display, chooser.window(), 0, 0, static_cast<unsigned>(a.width),
                                  static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        gui::CPixelSurface picture(a.width, a.height);
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x)
                picture.setPixel(x, y, 0xFF000000u | static_cast<uint32_t>(XGetPixel(image, x, y)));
        XDestroyImage(image);
        gui::writePng(picture, (dir / "chooser.png").string());
    }

    clickAt(at(chooser.rowRect(1)), 2); // into "sub"
    EXPECT_EQ(chooser.folder(), (top / "sub").string());
    ASSERT_EQ(names(), (std::vector<std::string>{"..", "c.trb"}));
    clickAt(at(chooser.rowRect(1)), 2); // takes the file
    EXPECT_TRUE(chooser.poll());
    EXPECT_TRUE(chooser.answer());
    EXPECT_EQ(chooser.chosenPath(), (top / "sub" / "c.trb").string());
}

TEST_F(DialogTest, OurMessageBoxShowsTheWholeTextAndTheCaptionOnce)
{
    auto sizeOf = [&](const std::string& text)
    {
        x11::X11PlainDialog box(*platform, None, "Error...", text, x11::X11PlainDialog::Buttons::Ok);
        XSync(platform->display(), False);
        XWindowAttributes a{};
        XGetWindowAttributes(host.display, box.window(), &a);
        return Size{a.width, a.height};
    };
    const Size plain = sizeOf("Error #02: Not a preset file!");
    const Size path = sizeOf("/a/folder/" + std::string(400, 'x') + ".trb already exists.");
    EXPECT_LE(path.width, 520);           // wrapped inside the box, not cut off by the screen
    EXPECT_GT(path.height, plain.height); // on more lines

    // With a window manager its title bar shows the caption: the box does not repeat it.
    const Atom check = XInternAtom(host.display, "_NET_SUPPORTING_WM_CHECK", False);
    const ::Window manager = host.makeWindow(0, 0, 1, 1, "WindowManager");
    XChangeProperty(host.display, host.root, check, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&manager), 1);
    XSync(host.display, False);
    const Size managed = sizeOf("Error #02: Not a preset file!");
    XDeleteProperty(host.display, host.root, check);
    XSync(host.display, False);
    EXPECT_LT(managed.height, plain.height);
}

// A private session bus, and on it a stand-in for the desktop's portal that
// answers one chooser with a file.
class PortalTest : public DialogTest
{
  protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        if (!ready()) return;
        unsetenv("AMBERLIT_DIALOG"); // a named stand-in would come first
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        const char* argv[] = {"dbus-daemon", "--session",         "--nofork",
                              "--nopidfile", "--print-address=1", nullptr};
        const int spawned =
            posix_spawnp(&daemon, "dbus-daemon", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (spawned != 0)
        {
            close(out[0]);
            GTEST_SKIP() << "no dbus-daemon";
        }
        std::string address;
        for (char c = 0; read(out[0], &c, 1) == 1 && c != '\n';)
            address += c;
        close(out[0]);
        if (const char* old = std::getenv("DBUS_SESSION_BUS_ADDRESS")) savedAddress = old;
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    }
    void TearDown() override
    {
        if (daemon > 0)
        {
            kill(daemon, SIGTERM);
            waitpid(daemon, nullptr, 0);
        }
        if (savedAddress)
            setenv("DBUS_SESSION_BUS_ADDRESS", savedAddress->c_str(), 1);
        else
            unsetenv("DBUS_SESSION_BUS_ADDRESS");
        DialogTest::TearDown();
    }

    // Owns the portal's name, answers the first chooser call with `uri`.
    void servePortal(const std::string& uri)
    {
        using namespace x11::dbus;
        auto bus = Connection::openSession();
        if (!bus) return;
        bus->send(busCall("Hello"));
        Message name = busCall("RequestName");
        name.signature = "su";
        Writer w;
        w.string("org.freedesktop.portal.Desktop");
        w.u32(4); // do not queue
        name.body = w.data;
        const uint32_t nameSerial = bus->send(name);
        for (int t = 0; t < 5000 && !bus->failed(); t += 2)
        {
            Message m;
            while (bus->receive(m))
            {
                if (m.type == Message::kMethodReturn && m.replySerial == nameSerial) portalReady = true;
                if (m.type != Message::kMethodCall || m.member != "OpenFile") continue;
                Reader r(m.body, m.bigEndian);
                r.string(parentWindow);
                r.string(title);
                const std::string handle = "/org/freedesktop/portal/desktop/request/stand_in/1";
                Message reply;
                reply.type = Message::kMethodReturn;
                reply.replySerial = m.serial;
                reply.destination = m.sender;
                reply.signature = "o";
                Writer o;
                o.string(handle);
                reply.body = o.data;
                bus->send(reply);
                Message response;
                response.type = Message::kSignal;
                response.path = handle;
                response.interface = "org.freedesktop.portal.Request";
                response.member = "Response";
                response.signature = "ua{sv}";
                Writer b;
                b.u32(0);
                const auto results = b.openArray(8);
                b.openStruct(); // a result we do not read comes first
                b.string("choices");
                b.signature("a(ss)");
                b.closeArray(b.openArray(8));
                b.openStruct();
                b.string("uris");
                b.signature("as");
                const auto uris = b.openArray(4);
                b.string(uri);
                b.closeArray(uris);
                b.closeArray(results);
                response.body = b.data;
                bus->send(response);
                pause(200); // until the bus has passed it on
                return;
            }
            pause(2);
        }
    }

    pid_t daemon = 0;
    std::optional<std::string> savedAddress;
    std::atomic<bool> portalReady{false};
    std::string parentWindow;
    std::string title;
};

TEST_F(PortalTest, TheDesktopsChooserComesFirstAndBelongsToTheHostWindow)
{
    RecordingListener events;
    openChild(events);
    const fs::path bank = dir / "my bank.trb";
    std::ofstream(bank) << "x";
    std::thread portal([&] { servePortal("file://" + dir.string() + "/my%20bank.trb"); });
    for (int t = 0; t < 3000 && !portalReady; t += 5)
        pause(5);
    ASSERT_TRUE(portalReady);
    const auto chosen = platform->chooseFile(bankRequest(FileChooserRequest::Mode::Open), window.get());
    portal.join();
    EXPECT_EQ(chosen, bank.string());
    char expected[32];
    std::snprintf(expected, sizeof expected, "x11:%lx", static_cast<unsigned long>(parent));
    EXPECT_EQ(parentWindow, expected);
    EXPECT_EQ(title, "Select bank to load...");
    EXPECT_TRUE(calls().empty()); // no dialog program was asked
}

TEST(BusWire, ElementsThatTakeNoBytesAreMalformedNotAnEndlessLoop)
{
    // An array of 8 bytes whose elements are empty structures: each element
    // would take no bytes, so reading it must fail rather than spin.
    const std::string bytes("\x08\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16);
    for (const char* type : {"a()", "()"})
    {
        platform::x11::dbus::Reader reader(bytes, false);
        std::string_view sig = type;
        EXPECT_FALSE(reader.skip(sig)) << type;
    }
}

} // namespace
} // namespace x11test
