// The editor in a window made by a stand-in host on a real X server: the user
// is played through XTest on a second connection while the host's thread
// idles the editor, as a DAW's user-interface thread would.
#include "tests/x11/X11TestSupport.h"

#include <signal.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "editor/ADEditor.h"
#include "editor/CAbout.h"
#include "editor/CAmberVuMeter2.h"
#include "editor/CAnimKnob3.h"
#include "gui/CBitmap.h"
#include "gui/CTextEdit.h"
#include "plugin/AutoComp.h"
#include "presets/BankFile.h"
#include "presets/PresetFiles.h"
#include "raster/PngFile.h"
#include "resources/SkinLayout.h"
#include "resources/SkinTable.h"
#include "tests/shell/RecordingHost.h"

using namespace x11test;
namespace fs = std::filesystem;

namespace
{

constexpr int kLeft = 60; // where the host window sits on the screen
constexpr int kTop = 40;

Point centreOf(const resources::SkinRect& r)
{
    return Point{kLeft + (r.left + r.right) / 2, kTop + (r.top + r.bottom) / 2};
}

// A stand-in for the desktop's dialog program: it logs its command line and
// answers file choosers from a list, one line per dialog (none: cancelled).
// With AMBERLIT_TEST_DIALOG_GO set it notes its pid and stays open until that
// file exists, as a user takes their time.
const char* kDialogScript = R"(#!/bin/sh
echo "$*" >> "$AMBERLIT_TEST_DIALOG_LOG"
if [ -n "$AMBERLIT_TEST_DIALOG_GO" ]; then
  echo $$ > "$AMBERLIT_TEST_DIALOG_GO.pid"
  while [ ! -e "$AMBERLIT_TEST_DIALOG_GO" ]; do sleep 0.02; done
fi
case "$1" in
--file-selection)
  answer=$(head -n 1 "$AMBERLIT_TEST_DIALOG_ANSWERS" 2>/dev/null)
  [ -z "$answer" ] && exit 1
  sed -i 1d "$AMBERLIT_TEST_DIALOG_ANSWERS"
  echo "$answer"
  exit 0;;
esac
exit 0
)";

class EditorOnX11 : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        SKIP_WITHOUT_DISPLAY();
        ASSERT_NE(host.display, nullptr);
        folder = fs::path(AMBERLIT_BINARY_DIR) / "gui-x11-editor" /
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder);
        fs::create_directories(folder);
        installDialogStandIn();
        RecordingHost::reset();
        effect = new AutoComp(&RecordingHost::callback);
        parent = host.makeWindow(kLeft, kTop, 400, 309);
        ASSERT_EQ(dispatch(effEditOpen, handleOf(parent)), 1);
        editor = static_cast<ADEditor*>(effect->getEditor());
        idleFor(300); // first exposure and paint
    }
    void TearDown() override
    {
        delete effect; // with the window open: everything goes with it
        unsetenv("AMBERLIT_TEST_DIALOG_GO");
    }

    VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr)
    {
        AEffect* record = effect->getAeffect();
        return record->dispatcher(record, opcode, 0, 0, ptr, 0.0f);
    }
    void idleFor(int ms)
    {
        for (int t = 0; t < ms; t += 10)
        {
            dispatch(effEditIdle);
            pause(10);
        }
    }
    // Plays the user on a second connection while this thread idles the
    // editor, as a host's user-interface thread would; notes the longest
    // single idle call meanwhile.
    void asUser(const std::function<void(Host&)>& act)
    {
        std::atomic<bool> done{false};
        std::thread user(
            [&]
            {
                Host u;
                pause(30);
                act(u);
                done = true;
            });
        idleMs.clear();
        while (!done.load())
        {
            const auto start = std::chrono::steady_clock::now();
            dispatch(effEditIdle);
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            idleMs.push_back(took.count());
            pause(5);
        }
        longestIdleMs = idleMs.empty() ? 0.0 : *std::max_element(idleMs.begin(), idleMs.end());
        idleCalls = static_cast<int>(idleMs.size());
        user.join();
        idleFor(150);
    }
    void reportLongestIdle(const char* what)
    {
        std::vector<double> sorted = idleMs;
        std::sort(sorted.begin(), sorted.end());
        const double median = sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
        std::printf("longest effEditIdle %s: %.2f ms over %d calls (median %.2f ms)\n", what, longestIdleMs,
                    idleCalls, median);
        RecordProperty(std::string("longest_idle_ms_") + what, std::to_string(longestIdleMs));
    }
    // Dialogs stay open until `release` is called.
    void holdDialogs()
    {
        dialogGo = (folder / "go").string();
        setenv("AMBERLIT_TEST_DIALOG_GO", dialogGo.c_str(), 1);
    }
    static void release(const std::string& go) { std::ofstream(go) << "go"; }
    pid_t dialogPid() const
    {
        std::ifstream in(dialogGo + ".pid");
        pid_t pid = 0;
        in >> pid;
        return pid;
    }
    static void drag(Host& u, Point from, int dy, unsigned modifierKey = 0)
    {
        u.moveTo(from.x, from.y);
        pause(40);
        if (modifierKey)
            XTestFakeKeyEvent(u.display, XKeysymToKeycode(u.display, modifierKey), True, CurrentTime);
        u.button(1, true);
        pause(80);
        for (int step = 1; step <= 10; ++step)
        {
            u.moveTo(from.x, from.y + dy * step / 10);
            pause(20);
        }
        pause(80);
        u.button(1, false);
        if (modifierKey)
            XTestFakeKeyEvent(u.display, XKeysymToKeycode(u.display, modifierKey), False, CurrentTime);
        XSync(u.display, False);
    }
    static void click(Host& u, Point at)
    {
        u.moveTo(at.x, at.y);
        pause(40);
        u.button(1, true);
        pause(60);
        u.button(1, false);
        pause(60);
    }

    std::vector<HostCall> hostCalls(VstInt32 opcode) const
    {
        std::vector<HostCall> out;
        for (const HostCall& call : RecordingHost::calls)
            if (call.opcode == opcode) out.push_back(call);
        return out;
    }
    // The host window's pixels as 0xRRGGBB, row by row.
    std::vector<uint32_t> grab()
    {
        XSync(host.display, False);
        XImage* image = XGetImage(host.display, parent, 0, 0, 400, 309, AllPlanes, ZPixmap);
        std::vector<uint32_t> pixels(400 * 309, 0);
        if (!image) return pixels;
        for (int y = 0; y < 309; ++y)
            for (int x = 0; x < 400; ++x)
                pixels[static_cast<size_t>(y * 400 + x)] =
                    static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
        XDestroyImage(image);
        return pixels;
    }
    void installDialogStandIn()
    {
        const fs::path script = folder / "dialog-stand-in";
        std::ofstream(script) << kDialogScript;
        fs::permissions(script, fs::perms::owner_all);
        dialogLog = (folder / "dialog.log").string();
        dialogAnswers = (folder / "answers").string();
        setenv("AMBERLIT_DIALOG", script.c_str(), 1);
        setenv("AMBERLIT_TEST_DIALOG_LOG", dialogLog.c_str(), 1);
        setenv("AMBERLIT_TEST_DIALOG_ANSWERS", dialogAnswers.c_str(), 1);
    }
    void answerDialog(const std::string& line)
    {
        std::ofstream(dialogAnswers, std::ios::app) << line << "\n";
    }
    std::string dialogCalls() const
    {
        std::ifstream in(dialogLog);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string presetName(VstInt32 index)
    {
        char name[CProgram::kNameSize] = {};
        effect->getPresetProgram(index)->getName(name);
        return name;
    }

    Host host;
    AutoComp* effect = nullptr;
    ADEditor* editor = nullptr;
    ::Window parent = 0;
    fs::path folder;
    std::string dialogLog;
    std::string dialogAnswers;
    std::string dialogGo;
    std::vector<double> idleMs;
    double longestIdleMs = 0.0;
    int idleCalls = 0;
};

// No single idle call may hold the host: its user interface runs between
// them. A modal loop held one call for the whole gesture (a second and more);
// a few milliseconds is the usual figure, and a loaded machine (sanitizers,
// parallel builds) adds scheduling delays well below this bound.
constexpr double kIdleBudgetMs = 250.0;

uint32_t rgbOf(gui::Pixel p)
{
    return p & 0xFFFFFF;
}

TEST_F(EditorOnX11, ShowsEachKnobsFrameAndTheNeedleAtRest)
{
    struct Knob
    {
        std::int32_t tag;
        resources::SkinRect rect;
        int bitmap;
    };
    const Knob knobs[] = {
        {params::kTime, resources::kTimeKnobRect, resources::kTimeKnob},
        {params::kCompression, resources::kCompressionKnobRect, resources::kCompressionKnob},
        {params::kOutput, resources::kOutputKnobRect, resources::kOutputKnob},
        {params::kRatio, resources::kRatioKnobRect, resources::kRatioKnob},
    };
    effect->setParameter(params::kTime, 0.3f);
    idleFor(200);
    const std::vector<uint32_t> shown = grab();
    for (const Knob& k : knobs)
    {
        gui::CBitmap strip(k.bitmap);
        const int frames = resources::findSkinBitmap(k.bitmap)->frames;
        const int frame = static_cast<int>(std::trunc((frames - 1) * effect->getParameter(k.tag) + 0.5f));
        int wrong = 0;
        for (int y = 0; y < k.rect.height(); ++y)
            for (int x = 0; x < k.rect.width(); ++x)
                wrong += shown[static_cast<size_t>((k.rect.top + y) * 400 + k.rect.left + x)] !=
                         rgbOf(strip.getPixels().pixel(x, frame * k.rect.height() + y));
        EXPECT_EQ(wrong, 0) << "knob " << k.tag << " frame " << frame;
    }
    // No reduction: the needle rests at the left end, 120 degrees; its line
    // passes (165, 94) give or take a pixel.
    bool needle = false;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            needle |= shown[static_cast<size_t>((94 + dy) * 400 + 165 + dx)] == 0xAAA5A0;
    EXPECT_TRUE(needle);
    // A copy for people to look at.
    gui::CPixelSurface image(400, 309);
    for (int y = 0; y < 309; ++y)
        for (int x = 0; x < 400; ++x)
            image.setPixel(x, y, 0xFF000000u | shown[static_cast<size_t>(y * 400 + x)]);
    EXPECT_TRUE(gui::writePng(image, (fs::path(AMBERLIT_BINARY_DIR) / "gui-x11-editor.png").string()));
}

TEST_F(EditorOnX11, DraggingEachKnobIsOneGestureWithValuesOnItsGrid)
{
    const std::pair<std::int32_t, resources::SkinRect> knobs[] = {
        {params::kTime, resources::kTimeKnobRect},
        {params::kCompression, resources::kCompressionKnobRect},
        {params::kOutput, resources::kOutputKnobRect},
        {params::kRatio, resources::kRatioKnobRect}};
    const std::map<std::int32_t, float> steps{
        {params::kTime, 20}, {params::kCompression, 40}, {params::kOutput, 60}, {params::kRatio, 6}};
    for (const auto& [tag, rect] : knobs)
    {
        effect->setParameter(tag, 0.0f);
        RecordingHost::calls.clear();
        asUser([&, r = rect](Host& u) { drag(u, centreOf(r), -40); });
        EXPECT_EQ(hostCalls(audioMasterBeginEdit).size(), 1u) << tag;
        EXPECT_EQ(hostCalls(audioMasterEndEdit).size(), 1u) << tag;
        const auto automates = hostCalls(audioMasterAutomate);
        ASSERT_FALSE(automates.empty()) << tag;
        const float q = steps.at(tag);
        for (const HostCall& call : automates)
            EXPECT_FLOAT_EQ(call.opt * q, std::round(call.opt * q)) << tag << " " << call.opt;
        EXPECT_GT(effect->getParameter(tag), 0.0f) << tag;
    }
}

TEST_F(EditorOnX11, CtrlClickResetsAKnobAndTheWheelMovesOne)
{
    effect->setParameter(params::kTime, 0.9f);
    asUser(
        [](Host& u)
        {
            const Point at = centreOf(resources::kTimeKnobRect);
            u.moveTo(at.x, at.y);
            XTestFakeKeyEvent(u.display, XKeysymToKeycode(u.display, XK_Control_L), True, CurrentTime);
            XSync(u.display, False);
            pause(40);
            click(u, at);
            XTestFakeKeyEvent(u.display, XKeysymToKeycode(u.display, XK_Control_L), False, CurrentTime);
            XSync(u.display, False);
        });
    EXPECT_FLOAT_EQ(effect->getParameter(params::kTime), 0.5f);

    effect->setParameter(params::kOutput, 0.0f);
    asUser(
        [](Host& u)
        {
            const Point at = centreOf(resources::kOutputKnobRect);
            u.click(at.x, at.y, 4); // one notch away from the user
            pause(60);
        });
    EXPECT_GT(effect->getParameter(params::kOutput), 0.0f);
}

TEST_F(EditorOnX11, ProcessSwitchThirdsSelectValveClearOff)
{
    const float expected[] = {1.0f, 0.5f, 0.0f};
    const resources::SkinRect r = resources::kProcessSwitchRect;
    for (int third = 0; third < 3; ++third)
    {
        asUser(
            [&](Host& u) {
                click(u, Point{kLeft + r.left + r.width() * third / 3 + r.width() / 6,
                               kTop + (r.top + r.bottom) / 2});
            });
        EXPECT_FLOAT_EQ(effect->getParameter(params::kProcess), expected[third]) << third;
    }
}

TEST_F(EditorOnX11, PresetChosenFromThePopUpAndSteppedAtBothEnds)
{
    asUser(
        [](Host& u)
        {
            click(u, centreOf(resources::kPresetMenuRect));
            const std::vector<Rect> popups = u.waitForPopups(1);
            if (popups.empty()) return;
            const Rect& p = popups[0];
            const int rowHeight = (p.height() - 6 - 7) / 15; // first column: 15 rows and the separator
            click(u, Point{p.right - 30, p.top + 3 + rowHeight / 2}); // second column, first row: preset 15
        });
    EXPECT_EQ(effect->getCurrentPreset(), 15);
    EXPECT_EQ(editor->getNameField()->text(), presetName(15));

    const resources::SkinRect r = resources::kRockerRect;
    const Point left{kLeft + r.left + 4, kTop + (r.top + r.bottom) / 2};
    const Point right{kLeft + r.right - 4, kTop + (r.top + r.bottom) / 2};
    effect->selectPreset(0);
    asUser([&](Host& u) { click(u, left); });
    EXPECT_EQ(effect->getCurrentPreset(), 0);
    effect->selectPreset(23);
    asUser([&](Host& u) { click(u, right); });
    EXPECT_EQ(effect->getCurrentPreset(), 23);
    asUser([&](Host& u) { click(u, left); });
    EXPECT_EQ(effect->getCurrentPreset(), 22);
    EXPECT_EQ(editor->getNameField()->text(), presetName(22));
}

TEST_F(EditorOnX11, RenamedByTypingInTheField)
{
    effect->selectPreset(6);
    editor->stepPreset(false);
    editor->stepPreset(true); // the bar shows preset 6
    asUser(
        [](Host& u)
        {
            click(u, centreOf(resources::kNameFieldRect));
            pause(150);
            u.type("Typed Name");
            u.key(XK_Return);
            pause(60);
        });
    EXPECT_EQ(presetName(6), "Typed Name");
    EXPECT_EQ(presetName(0), "Typed Name");
    EXPECT_EQ(editor->getNameField()->text(), "Typed Name");
}

TEST_F(EditorOnX11, MemoStoredAndRecalled)
{
    effect->setParameter(params::kCompression, 0.75f);
    asUser([](Host& u) { click(u, centreOf(resources::kStoreMemoBRect)); });
    effect->setParameter(params::kCompression, 0.25f);
    asUser([](Host& u) { click(u, centreOf(resources::kRecallMemoBRect)); });
    EXPECT_FLOAT_EQ(effect->getParameter(params::kCompression), 0.75f);
    EXPECT_FLOAT_EQ(editor->getKnob(params::kCompression)->getValue(), 0.75f);
}

TEST_F(EditorOnX11, BankAndPresetSavedAndLoadedThroughTheDialogProgram)
{
    const std::string bank = (folder / "mine.trb").string();
    const std::string preset = (folder / "mine.trp").string();
    editor->renamePreset("Bank Name");
    answerDialog(bank);
    asUser([](Host& u) { click(u, centreOf(resources::kSaveBankRect)); });
    ASSERT_TRUE(fs::exists(bank));
    EXPECT_EQ(fs::file_size(bank), kBankFileBytes);
    EXPECT_NE(dialogCalls().find("--title=Save bank as... --save --confirm-overwrite"), std::string::npos);

    effect->initFactoryPresets();
    answerDialog(bank);
    asUser([](Host& u) { click(u, centreOf(resources::kLoadBankRect)); });
    EXPECT_EQ(presetName(0), "Bank Name");
    EXPECT_EQ(editor->getNameField()->text(), "Bank Name");

    effect->setParameter(params::kOutput, 0.5f);
    answerDialog(preset);
    asUser([](Host& u) { click(u, centreOf(resources::kSavePresetRect)); });
    EXPECT_EQ(fs::file_size(preset), kPresetFileBytes);
    effect->setParameter(params::kOutput, 0.0f);
    answerDialog(preset);
    asUser([](Host& u) { click(u, centreOf(resources::kLoadPresetRect)); });
    EXPECT_FLOAT_EQ(effect->getParameter(params::kOutput), 0.5f);

    // A bank offered as a preset: the error box, and nothing changes.
    answerDialog(bank);
    asUser([](Host& u) { click(u, centreOf(resources::kLoadPresetRect)); });
    EXPECT_NE(dialogCalls().find("--error --title=Error... --text=Error #02: Not a preset file!"),
              std::string::npos);
    EXPECT_FLOAT_EQ(effect->getParameter(params::kOutput), 0.5f);
}

TEST_F(EditorOnX11, AboutViewFreezesTheNeedleAndClosesOnAClick)
{
    asUser([](Host& u) { click(u, centreOf(resources::kAboutAreaRect)); });
    ASSERT_EQ(editor->getAboutArea()->getValue(), 1.0f);
    const float frozen = editor->getMeter()->getValue();
    effect->setSampleRate(44100.0f);
    effect->resume();
    std::vector<float> loud(512, 0.9f), out(512);
    float* inputs[] = {loud.data(), loud.data()};
    float* outputs[] = {out.data(), out.data()};
    for (int b = 0; b < 100; ++b)
        effect->processReplacing(inputs, outputs, 512);
    ASSERT_LT(effect->getMeterGain(), 0.99);
    idleFor(100);
    EXPECT_EQ(editor->getMeter()->getValue(), frozen);

    asUser([](Host& u) { click(u, Point{kLeft + 30, kTop + 200}); });
    EXPECT_EQ(editor->getAboutArea()->getValue(), 0.0f);
    EXPECT_NEAR(editor->getMeter()->getValue(), 1.0 - effect->getMeterGain(), 1e-6);
}

TEST_F(EditorOnX11, AutomationFromAnotherThreadWhileTheEditorIdles)
{
    std::atomic<bool> stop{false};
    std::thread automation(
        [&]
        {
            for (int i = 0; !stop.load(); ++i)
                effect->setParameter(params::kOutput, static_cast<float>(i % 61) / 60.0f);
            effect->setParameter(params::kOutput, 0.5f);
        });
    idleFor(300);
    stop = true;
    automation.join();
    idleFor(100);
    EXPECT_FLOAT_EQ(editor->getKnob(params::kOutput)->getValue(), 0.5f);
}

TEST_F(EditorOnX11, ClosesAndOpensAgain)
{
    dispatch(effEditClose);
    dispatch(effEditClose);
    EXPECT_EQ(editor->getFrame(), nullptr);
    ASSERT_EQ(dispatch(effEditOpen, handleOf(parent)), 1);
    idleFor(200);
    const std::vector<uint32_t> shown = grab();
    gui::CBitmap panel(resources::kPanel);
    // A corner of the panel that no control covers.
    EXPECT_EQ(shown[5 * 400 + 5], rgbOf(panel.getPixels().pixel(5, 5)));
}

TEST_F(EditorOnX11, AThreeSecondDragLeavesEveryIdleCallShort)
{
    effect->setParameter(params::kCompression, 0.0f);
    RecordingHost::calls.clear();
    std::atomic<int> idlesWhileHeld{0};
    std::atomic<bool> held{false};
    asUser(
        [&](Host& u)
        {
            const Point at = centreOf(resources::kCompressionKnobRect);
            u.moveTo(at.x, at.y);
            pause(40);
            u.button(1, true);
            held = true;
            for (int step = 1; step <= 150; ++step) // 3 s, 75 pixels up
            {
                u.moveTo(at.x, at.y - step / 2);
                pause(20);
            }
            held = false;
            u.button(1, false);
        });
    reportLongestIdle("during_drag");
    EXPECT_LT(longestIdleMs, kIdleBudgetMs);
    EXPECT_GT(idleCalls, 100); // the host idled all along, not once for the whole drag
    EXPECT_EQ(hostCalls(audioMasterBeginEdit).size(), 1u);
    EXPECT_EQ(hostCalls(audioMasterEndEdit).size(), 1u);
    // 74 pixels up at 2 units each, of 500 units for the range, on the 1/40 grid.
    EXPECT_NEAR(effect->getParameter(params::kCompression), 0.3f, 0.026f);
}

TEST_F(EditorOnX11, ThePresetListStaysOpenAcrossIdleCallsUntilTheChoice)
{
    std::atomic<bool> openAfterASecond{false};
    asUser(
        [&](Host& u)
        {
            click(u, centreOf(resources::kPresetMenuRect));
            if (u.waitForPopups(1).empty()) return;
            pause(1000);
            const std::vector<Rect> popups = u.popups();
            openAfterASecond = !popups.empty();
            if (popups.empty()) return;
            const Rect& p = popups[0];
            const int rowHeight = (p.height() - 6 - 7) / 15;
            click(u, Point{p.left + 30, p.top + 3 + rowHeight * 3 + 7 + rowHeight / 2}); // preset 3
        });
    reportLongestIdle("with_the_list_open");
    EXPECT_TRUE(openAfterASecond);
    EXPECT_LT(longestIdleMs, kIdleBudgetMs);
    EXPECT_EQ(effect->getCurrentPreset(), 3);
    EXPECT_EQ(editor->getNameField()->text(), presetName(3));
}

TEST_F(EditorOnX11, AFileDialogRunsBesideTheHostAndTheEditorWaitsForIt)
{
    const std::string bank = (folder / "loaded.trb").string();
    effect->setCurrentPresetName("From The File");
    ASSERT_TRUE(saveBankFile(*effect, bank).ok());
    effect->initFactoryPresets();
    holdDialogs();
    answerDialog(bank);
    const float process = effect->getParameter(params::kProcess);
    std::atomic<bool> appliedEarly{true};
    asUser(
        [&](Host& u)
        {
            click(u, centreOf(resources::kLoadBankRect));
            pause(500);
            // While the dialog is up the editor takes no input.
            const resources::SkinRect r = resources::kProcessSwitchRect;
            click(u, Point{kLeft + r.left + 5, kTop + (r.top + r.bottom) / 2});
            pause(500);
            appliedEarly = presetName(0) == "From The File";
            release(dialogGo);
            pause(300);
        });
    reportLongestIdle("with_a_file_dialog_open");
    EXPECT_LT(longestIdleMs, kIdleBudgetMs);
    EXPECT_FALSE(appliedEarly);
    EXPECT_FLOAT_EQ(effect->getParameter(params::kProcess), process);
    EXPECT_EQ(presetName(0), "From The File");
    EXPECT_EQ(editor->getNameField()->text(), "From The File");
    EXPECT_EQ(kill(dialogPid(), 0), -1); // reaped: not even a zombie is left
}

TEST_F(EditorOnX11, ClosingTheEditorEndsAnOpenDialogAndAppliesNothing)
{
    const std::string bank = (folder / "never.trb").string();
    effect->setCurrentPresetName("Never Loaded");
    ASSERT_TRUE(saveBankFile(*effect, bank).ok());
    effect->initFactoryPresets();
    holdDialogs();
    answerDialog(bank);
    asUser([](Host& u) { click(u, centreOf(resources::kLoadBankRect)); });
    for (int t = 0; t < 2000 && dialogPid() == 0; t += 10)
        idleFor(10);
    const pid_t pid = dialogPid();
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(editor->isDialogOpen());
    dispatch(effEditClose);
    EXPECT_EQ(kill(pid, 0), -1); // ended and reaped
    EXPECT_EQ(errno, ESRCH);
    release(dialogGo);
    ASSERT_EQ(dispatch(effEditOpen, handleOf(parent)), 1);
    idleFor(200);
    EXPECT_NE(presetName(0), "Never Loaded");
}

TEST_F(EditorOnX11, ALeftHandedPointerWorksWithItsPrimaryButton)
{
    unsigned char map[256];
    const int buttons = XGetPointerMapping(host.display, map, sizeof map);
    ASSERT_GE(buttons, 3);
    unsigned char swapped[256];
    std::copy(map, map + buttons, swapped);
    std::swap(swapped[0], swapped[2]);
    ASSERT_EQ(XSetPointerMapping(host.display, swapped, buttons), MappingSuccess);
    XSync(host.display, False);
    const resources::SkinRect r = resources::kProcessSwitchRect;
    effect->setParameter(params::kProcess, 0.0f);
    asUser(
        [&](Host& u)
        {
            u.moveTo(kLeft + r.left + 5, kTop + (r.top + r.bottom) / 2);
            pause(40);
            u.button(3, true); // the physical right button: primary for a left hand
            pause(60);
            u.button(3, false);
            pause(60);
        });
    XSetPointerMapping(host.display, map, buttons);
    XSync(host.display, False);
    EXPECT_FLOAT_EQ(effect->getParameter(params::kProcess), 1.0f); // Valve
}

TEST_F(EditorOnX11, AClosedEditorHoldsNoDisplayConnection)
{
    auto openDescriptors = []
    { return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{}); };
    const auto before = openDescriptors();
    AutoComp second(&RecordingHost::callback);
    AEffect* record = second.getAeffect();
    const ::Window window = host.makeWindow(kLeft + 420, kTop, 400, 309);
    ASSERT_EQ(record->dispatcher(record, effEditOpen, 0, 0, handleOf(window), 0.0f), 1);
    EXPECT_GT(openDescriptors(), before);
    record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f);
    record->dispatcher(record, effEditClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(openDescriptors(), before);
}

} // namespace
