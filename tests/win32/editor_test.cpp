// The editor in a window made by a stand-in host on a Windows desktop (Wine on
// a private Xvfb): the user is played through SendInput from a second thread
// while the host's thread pumps messages and idles the editor, so that the
// knobs' polling loops see the button come up as they would on Windows.
#include <gtest/gtest.h>

#include "tests/win32/WineDesktop.h"

#include <winternl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "editor/ADEditor.h"
#include "editor/CAbout.h"
#include "editor/CAmberVuMeter2.h"
#include "editor/CAnimKnob3.h"
#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/CTextEdit.h"
#include "plugin/AutoComp.h"
#include "presets/BankFile.h"
#include "presets/MemoSlots.h"
#include "raster/CTextRenderer.h"
#include "resources/SkinLayout.h"
#include "resources/SkinTable.h"
#include "tests/shell/LoadedModule.h"
#include "tests/shell/RecordingHost.h"

using namespace winhost;
namespace fs = std::filesystem;

namespace
{

constexpr int kLeft = 60; // where the host window sits on the screen
constexpr int kTop = 40;
constexpr int kWidth = resources::kPanelWidth;
constexpr int kHeight = resources::kPanelHeight;

Point centreOf(const resources::SkinRect& r)
{
    return Point{kLeft + (r.left + r.right) / 2, kTop + (r.top + r.bottom) / 2};
}

uint32_t rgbOf(gui::Pixel p)
{
    return p & 0xFFFFFF;
}

// NtCurrentTeb reads the thread block through the GS segment, which GCC's
// bounds checker takes for an access to an empty array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
const void* processEnvironmentBlock()
{
    return NtCurrentTeb()->ProcessEnvironmentBlock;
}
#pragma GCC diagnostic pop

// The process's live GDI objects. Wine answers GetGuiResources with 0; its
// handle table, shared through the process environment block as on Windows,
// has one cell with a type per live object.
int gdiObjects()
{
    if (const DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS))
        return static_cast<int>(count);
    struct Cell
    {
        uint64_t object;
        uint16_t process;
        uint16_t count;
        uint16_t unique;
        uint8_t type;
        uint8_t flags;
        uint64_t user;
    };
    constexpr size_t kSharedHandleTable = 0xF8; // offset in the 64-bit environment block
    constexpr int kCells = 16384;
    const auto* environment = static_cast<const unsigned char*>(processEnvironmentBlock());
    const auto* table = *reinterpret_cast<const Cell* const*>(environment + kSharedHandleTable);
    if (!table) return -1;
    int live = 0;
    for (int i = 0; i < kCells; ++i)
        live += table[i].type != 0;
    return live;
}

std::vector<HWND> childrenOf(HWND parent)
{
    std::vector<HWND> found;
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM list)
        {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string classOf(HWND window)
{
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string frameClassName(HINSTANCE instance)
{
    char name[32];
    std::snprintf(name, sizeof name, "Plugin%p", static_cast<void*>(instance));
    return name;
}

bool classRegistered(HINSTANCE instance)
{
    WNDCLASSA description{};
    return ::GetClassInfoA(instance, frameClassName(instance).c_str(), &description) != 0;
}

// The memo value a store left in the registry, as the effect wrote it.
std::optional<float> registryMemoValue(const char* key, int index)
{
    char name[16];
    std::snprintf(name, sizeof name, "param%3d", index);
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return std::nullopt;
    unsigned char bytes[4] = {};
    DWORD size = sizeof bytes;
    DWORD type = 0;
    const LSTATUS status = ::RegQueryValueExA(opened, name, nullptr, &type, bytes, &size);
    ::RegCloseKey(opened);
    if (status != ERROR_SUCCESS || type != REG_BINARY || size != 4) return std::nullopt;
    float value = 0.0f;
    std::memcpy(&value, bytes, sizeof value); // stored least significant byte first
    return value;
}

class EditorOnWindows : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        folder = fs::path(AMBERLIT_BINARY_DIR) / "win32-editor" /
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder);
        fs::create_directories(folder);
        RecordingHost::reset();
        effect = new AutoComp(&RecordingHost::callback);
        host = std::make_unique<HostWindow>(kLeft, kTop, kWidth, kHeight);
        ASSERT_NE(host->handle, nullptr);
        ASSERT_EQ(dispatch(effEditOpen, host->handle), 1);
        editor = static_cast<ADEditor*>(effect->getEditor());
        idleFor(300); // first paint
    }
    void TearDown() override
    {
        delete effect; // with the window open: everything goes with it
        host.reset();
        pumpMessages();
    }

    VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr)
    {
        AEffect* record = effect->getAeffect();
        return record->dispatcher(record, opcode, 0, 0, ptr, 0.0f);
    }
    void idle() { dispatch(effEditIdle); }
    void idleFor(int ms)
    {
        runFor(ms, [this] { idle(); });
    }
    void asUser(const std::function<void()>& act)
    {
        winhost::asUser(act, [this] { idle(); });
    }
    std::vector<HostCall> hostCalls(VstInt32 opcode) const
    {
        std::vector<HostCall> out;
        for (const HostCall& call : RecordingHost::calls)
            if (call.opcode == opcode) out.push_back(call);
        return out;
    }
    std::vector<uint32_t> grab() { return grabScreen(kLeft, kTop, kWidth, kHeight); }
    // What the frame draws, drawn again into a surface of our own.
    gui::CPixelSurface drawnByTheFrame()
    {
        gui::CPixelSurface surface(kWidth, kHeight);
        auto* context = new gui::CDrawContext(editor->getFrame(), &surface);
        editor->getFrame()->draw(context);
        context->release();
        return surface;
    }
    // Pixels of `shown` in `rect` that differ from frame `frame` of a film strip.
    static int wrongKnobPixels(const std::vector<uint32_t>& shown, const resources::SkinRect& rect,
                               int bitmap, int frame)
    {
        const gui::CBitmap strip(bitmap);
        int wrong = 0;
        for (int y = 0; y < rect.height(); ++y)
            for (int x = 0; x < rect.width(); ++x)
                wrong += shown[static_cast<size_t>((rect.top + y) * kWidth + rect.left + x)] !=
                         rgbOf(strip.getPixels().pixel(x, frame * rect.height() + y));
        return wrong;
    }
    std::string presetName(VstInt32 index)
    {
        char name[CProgram::kNameSize] = {};
        effect->getPresetProgram(index)->getName(name);
        return name;
    }

    std::unique_ptr<HostWindow> host;
    AutoComp* effect = nullptr;
    ADEditor* editor = nullptr;
    fs::path folder;
};

// Writes the screen's picture of the editor for the Linux-side comparison and for people.
void writePortablePixmap(const std::vector<uint32_t>& pixels, const fs::path& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << kWidth << " " << kHeight << "\n255\n";
    for (uint32_t p : pixels)
    {
        const char rgb[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
        out.write(rgb, 3);
    }
}

TEST_F(EditorOnWindows, OpensAsAChildOfTheHostWindowAndPaintsEveryPixel)
{
    const std::vector<HWND> children = childrenOf(host->handle);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(classOf(children[0]), frameClassName(::GetModuleHandleA(nullptr)));
    RECT client{};
    ::GetClientRect(children[0], &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 309);
    const LONG style = ::GetWindowLongA(children[0], GWL_STYLE);
    EXPECT_EQ(style & 0x56000000, 0x56000000) << std::hex << style;
    EXPECT_NE(::GetPropA(children[0], "OleDropTargetInterface"), nullptr) << "registered for drops";

    // Covered and uncovered again: the paint restores every pixel.
    auto cover = std::make_unique<HostWindow>(kLeft + 50, kTop + 50, 200, 150);
    idleFor(100);
    cover.reset();
    idleFor(200);
    const std::vector<uint32_t> shown = grab();
    const gui::CPixelSurface expected = drawnByTheFrame();
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            wrong += shown[static_cast<size_t>(y * kWidth + x)] != rgbOf(expected.pixel(x, y));
    EXPECT_EQ(wrong, 0);
    // The preset name is drawn: dark ink on the light panel under the field.
    const resources::SkinRect field = resources::kNameFieldRect;
    int ink = 0;
    for (int y = field.top + 2; y < field.bottom - 2; ++y)
        for (int x = field.left + 2; x < field.right - 2; ++x)
        {
            const uint32_t p = shown[static_cast<size_t>(y * kWidth + x)];
            ink += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 150;
        }
    EXPECT_GT(ink, 20) << "text in " << gui::CTextRenderer::shared().fontFile(4, 0);
    std::printf("name field font: %s\n", gui::CTextRenderer::shared().fontFile(4, 0).c_str());
    writePortablePixmap(shown, fs::path(AMBERLIT_BINARY_DIR) / "editor-windows.ppm");
}

TEST_F(EditorOnWindows, KnobDragsAreOneGestureEachWithValuesOnTheKnobsGrid)
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
        idleFor(100); // well past the double-click time of the previous drag's release
        RecordingHost::calls.clear();
        asUser([r = rect] { drag(centreOf(r), -40); });
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

int wheelsAtTheHost = 0;

LRESULT CALLBACK countWheels(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MOUSEWHEEL) ++wheelsAtTheHost;
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// A host may scroll with a wheel the editor has no use for, as with any child window.
TEST_F(EditorOnWindows, AWheelTheEditorDoesNotUseGoesOnToTheHostWindow)
{
    ::SetWindowLongPtrA(host->handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countWheels));
    const HWND frame = childrenOf(host->handle).at(0);
    auto turnAt = [frame](Point screen)
    { ::SendMessageA(frame, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(screen.x, screen.y)); };
    wheelsAtTheHost = 0;
    effect->setParameter(params::kCompression, 0.0f);
    turnAt(centreOf(resources::kCompressionKnobRect));
    EXPECT_EQ(wheelsAtTheHost, 0) << "the knob used it";
    EXPECT_GT(effect->getParameter(params::kCompression), 0.0f);
    turnAt(Point{kLeft + 3, kTop + kHeight - 3});
    EXPECT_EQ(wheelsAtTheHost, 1) << "nothing under the pointer wanted it";
}

TEST_F(EditorOnWindows, CtrlClickAndDoubleClickResetAKnob)
{
    effect->setParameter(params::kTime, 0.9f);
    asUser(
        []
        {
            // Control after the pointer is in: Wine takes the keyboard's state
            // from the X server when the pointer enters a window.
            moveTo(centreOf(resources::kTimeKnobRect));
            pause(60);
            key(VK_CONTROL, true);
            pause(40);
            click(centreOf(resources::kTimeKnobRect));
            key(VK_CONTROL, false);
        });
    EXPECT_FLOAT_EQ(effect->getParameter(params::kTime), 0.5f);

    effect->setParameter(params::kOutput, 0.75f);
    idleFor(600);
    asUser(
        []
        {
            click(centreOf(resources::kOutputKnobRect), 20);
            click(centreOf(resources::kOutputKnobRect), 20);
        });
    EXPECT_FLOAT_EQ(effect->getParameter(params::kOutput), 0.0f);
}

TEST_F(EditorOnWindows, ProcessSwitchThirdsSelectValveClearOff)
{
    const float expected[] = {1.0f, 0.5f, 0.0f};
    const resources::SkinRect r = resources::kProcessSwitchRect;
    for (int third = 0; third < 3; ++third)
    {
        asUser(
            [&] {
                click(Point{kLeft + r.left + r.width() * third / 3 + r.width() / 6,
                            kTop + (r.top + r.bottom) / 2});
            });
        EXPECT_FLOAT_EQ(effect->getParameter(params::kProcess), expected[third]) << third;
    }
}

TEST_F(EditorOnWindows, AParameterSetFromAnotherThreadShowsAfterTheNextIdle)
{
    std::thread automation([this] { effect->setParameter(params::kOutput, 1.0f); });
    automation.join();
    EXPECT_NE(wrongKnobPixels(grab(), resources::kOutputKnobRect, resources::kOutputKnob, 60), 0);
    idle();
    EXPECT_EQ(wrongKnobPixels(grab(), resources::kOutputKnobRect, resources::kOutputKnob, 60), 0);
}

TEST_F(EditorOnWindows, TheNeedleMovesWithTheAudioUnlessTheAboutViewIsUp)
{
    const resources::SkinRect face = resources::kMeterFaceRect;
    const auto meterPixels = [&](const std::vector<uint32_t>& shown)
    {
        std::vector<uint32_t> part;
        for (int y = face.top; y < face.bottom; ++y)
            for (int x = face.left; x < face.right; ++x)
                part.push_back(shown[static_cast<size_t>(y * kWidth + x)]);
        return part;
    };
    const std::vector<uint32_t> atRest = meterPixels(grab());
    effect->setSampleRate(44100.0f);
    effect->resume();
    std::vector<float> loud(512, 0.9f), out(512);
    float* inputs[] = {loud.data(), loud.data()};
    float* outputs[] = {out.data(), out.data()};
    for (int b = 0; b < 100; ++b)
        effect->processReplacing(inputs, outputs, 512);
    ASSERT_LT(effect->getMeterGain(), 0.99);
    idleFor(150);
    EXPECT_NEAR(editor->getMeter()->getValue(), 1.0 - effect->getMeterGain(), 1e-6);
    EXPECT_NE(meterPixels(grab()), atRest);

    asUser([] { click(centreOf(resources::kAboutAreaRect)); });
    ASSERT_EQ(editor->getAboutArea()->getValue(), 1.0f);
    const float frozen = editor->getMeter()->getValue();
    for (int b = 0; b < 100; ++b)
        effect->processReplacing(inputs, outputs, 512);
    idleFor(100);
    EXPECT_EQ(editor->getMeter()->getValue(), frozen);
    asUser([] { click(Point{kLeft + 30, kTop + 200}); });
    EXPECT_EQ(editor->getAboutArea()->getValue(), 0.0f);
    EXPECT_NEAR(editor->getMeter()->getValue(), 1.0 - effect->getMeterGain(), 1e-6);
}

TEST_F(EditorOnWindows, TheRockerStepsPresetsAndStopsAtBothEnds)
{
    const resources::SkinRect r = resources::kRockerRect;
    const Point left{kLeft + r.left + 4, kTop + (r.top + r.bottom) / 2};
    const Point right{kLeft + r.right - 4, kTop + (r.top + r.bottom) / 2};
    effect->selectPreset(0);
    asUser([&] { click(left); });
    EXPECT_EQ(effect->getCurrentPreset(), 0);
    effect->selectPreset(23);
    asUser([&] { click(right); });
    EXPECT_EQ(effect->getCurrentPreset(), 23);
    asUser([&] { click(left); });
    EXPECT_EQ(effect->getCurrentPreset(), 22);
    EXPECT_EQ(editor->getNameField()->text(), presetName(22));
}

TEST_F(EditorOnWindows, ThePresetListPopsUpAndAChoiceSelectsThePreset)
{
    asUser(
        []
        {
            click(centreOf(resources::kPresetMenuRect));
            pause(200);
            for (int i = 0; i < 4; ++i) // entry 0, the separator skipped, then presets 1 to 3
                tap(VK_DOWN);
            tap(VK_RETURN);
        });
    EXPECT_EQ(effect->getCurrentPreset(), 3);
    EXPECT_EQ(editor->getNameField()->text(), presetName(3));
}

TEST_F(EditorOnWindows, TheNameFieldTakesTypingAndReturnRenames)
{
    effect->selectPreset(6);
    editor->stepPreset(false);
    editor->stepPreset(true); // the bar shows preset 6
    asUser(
        []
        {
            click(centreOf(resources::kNameFieldRect));
            pause(150);
            type("Typed Name");
            tap(VK_RETURN);
        });
    EXPECT_EQ(presetName(6), "Typed Name");
    EXPECT_EQ(editor->getNameField()->text(), "Typed Name");
    EXPECT_EQ(childrenOf(host->handle).size(), 1u) << "the edit control is gone";
    EXPECT_EQ(::GetFocus(), host->handle) << "the keyboard went back to the host";
}

TEST_F(EditorOnWindows, MemoAStoresIntoTheRegistryAndRecalls)
{
    effect->setParameter(params::kCompression, 0.75f);
    asUser([] { click(centreOf(resources::kStoreMemoARect)); });
    EXPECT_EQ(registryMemoValue(kMemoAKey, params::kCompression), 0.75f);
    effect->setParameter(params::kCompression, 0.25f);
    asUser([] { click(centreOf(resources::kRecallMemoARect)); });
    EXPECT_FLOAT_EQ(effect->getParameter(params::kCompression), 0.75f);
    EXPECT_FLOAT_EQ(editor->getKnob(params::kCompression)->getValue(), 0.75f);
}

// Fills in a file dialog's name field and confirms it.
void answerFileDialog(const char* title, const std::string& path)
{
    HWND dialog = waitForWindow(title);
    if (!dialog) return;
    pause(200);
    ::SetDlgItemTextA(dialog, 0x480, path.c_str()); // the file name field
    ::SetDlgItemTextA(dialog, 0x47C, path.c_str()); // its combo box form in newer dialogs
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(EditorOnWindows, FileButtonsOpenTheirDialogsAndErrorsShowInAMessageBox)
{
    std::string bank = (folder / "mine.trb").string(); // already on Wine's Z: drive
    std::replace(bank.begin(), bank.end(), '/', '\\');
    editor->renamePreset("Bank Name");
    asUser(
        [&]
        {
            click(centreOf(resources::kSaveBankRect));
            answerFileDialog("Save bank as...", bank);
        });
    ASSERT_TRUE(fs::exists(bank));
    EXPECT_EQ(fs::file_size(bank), kBankFileBytes);

    // A bank offered as a preset: the error box, and nothing changes.
    std::string message;
    effect->setParameter(params::kOutput, 0.5f);
    asUser(
        [&]
        {
            click(centreOf(resources::kLoadPresetRect));
            answerFileDialog("Select preset to load...", bank);
            if (HWND box = waitForWindow("Error..."))
            {
                pause(100);
                char text[128] = {};
                ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                message = text;
                ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
        });
    EXPECT_EQ(message, "Error #02: Not a preset file!");
    EXPECT_FLOAT_EQ(effect->getParameter(params::kOutput), 0.5f);
}

TEST_F(EditorOnWindows, EditorsSideBySideLeaveNoWindowClassOrGdiObjectBehind)
{
    const HINSTANCE program = ::GetModuleHandleA(nullptr);
    auto* second = new AutoComp(&RecordingHost::callback);
    HostWindow secondHost(kLeft + 420, kTop, kWidth, kHeight);
    AEffect* record = second->getAeffect();
    ASSERT_EQ(record->dispatcher(record, effEditOpen, 0, 0, secondHost.handle, 0.0f), 1);
    idleFor(100);
    dispatch(effEditClose); // the first to open goes first
    EXPECT_TRUE(childrenOf(host->handle).empty());
    EXPECT_TRUE(classRegistered(program)) << "the other editor still uses the class";
    record->dispatcher(record, effEditClose, 0, 0, nullptr, 0.0f);
    EXPECT_TRUE(childrenOf(secondHost.handle).empty());
    EXPECT_FALSE(classRegistered(program));
    delete second;

    // A settled count first: the first cycles may fill caches (fonts, cursors).
    for (int cycle = 0; cycle < 3; ++cycle)
    {
        ASSERT_EQ(dispatch(effEditOpen, host->handle), 1);
        idleFor(30);
        dispatch(effEditClose);
    }
    const int before = gdiObjects();
    ASSERT_GT(before, 0);
    for (int cycle = 0; cycle < 100; ++cycle)
    {
        ASSERT_EQ(dispatch(effEditOpen, host->handle), 1);
        pumpMessages(); // its first paint
        idle();
        dispatch(effEditClose);
    }
    pumpMessages();
    EXPECT_LE(gdiObjects(), before);
    EXPECT_FALSE(classRegistered(program));
}

TEST(EditorOfTheDll, OpensInAHostWindowWithTheModulesWindowClass)
{
    const LoadedModule module(AMBERLIT_PLUGIN_PATH);
    ASSERT_TRUE(module.loaded()) << module.error();
    const auto entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(module.symbol("VSTPluginMain"));
    ASSERT_NE(entry, nullptr);
    RecordingHost::reset();
    AEffect* record = entry(&RecordingHost::callback);
    ASSERT_NE(record, nullptr);
    const auto instance = static_cast<HINSTANCE>(module.handle());
    {
        HostWindow host(kLeft, kTop, kWidth, kHeight);
        ERect* size = nullptr;
        ASSERT_EQ(record->dispatcher(record, effEditGetRect, 0, 0, &size, 0.0f), 1);
        ASSERT_NE(size, nullptr);
        EXPECT_EQ(size->right - size->left, 400);
        EXPECT_EQ(size->bottom - size->top, 309);
        ASSERT_EQ(record->dispatcher(record, effEditOpen, 0, 0, host.handle, 0.0f), 1);
        runFor(200, [&] { record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f); });
        const std::vector<HWND> children = childrenOf(host.handle);
        ASSERT_EQ(children.size(), 1u);
        EXPECT_EQ(classOf(children[0]), frameClassName(instance));
        const gui::CBitmap panel(resources::kPanel);
        EXPECT_EQ(grabScreen(kLeft, kTop, kWidth, kHeight)[5 * kWidth + 5],
                  rgbOf(panel.getPixels().pixel(5, 5)));
        record->dispatcher(record, effEditClose, 0, 0, nullptr, 0.0f);
        EXPECT_TRUE(childrenOf(host.handle).empty());
        EXPECT_FALSE(classRegistered(instance));
    }
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
}

} // namespace
