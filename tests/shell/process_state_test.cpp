// A plug-in lives inside someone else's process: loading it, running it and
// unloading it must leave the host's process-wide settings exactly as they were.
#include "shell/host_interface.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cfenv>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstring>
#include <locale>
#include <string>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace
{

VstIntPtr host2400(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0.0f)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

void hostsOwnHandler(int) {}

struct ProcessState
{
    std::string cwd, cLocale, cppLocale;
    mode_t umask = 0;
    int rounding = 0;
    unsigned mxcsrModes = 0;
    unsigned short x87Control = 0;
    std::vector<std::pair<void*, int>> handlers; // per signal: handler and flags

    static ProcessState now()
    {
        ProcessState s;
        char dir[PATH_MAX];
        s.cwd = getcwd(dir, sizeof dir) ? dir : "?";
        s.cLocale = std::setlocale(LC_ALL, nullptr);
        s.cppLocale = std::locale().name();
        s.umask = ::umask(0);
        ::umask(s.umask);
        s.rounding = std::fegetround();
#if defined(__x86_64__) || defined(__i386__)
        s.mxcsrModes = _mm_getcsr() & ~0x3Fu; // without the sticky exception flags
        __asm__ volatile("fnstcw %0" : "=m"(s.x87Control));
#endif
        for (int sig = 1; sig < NSIG; ++sig)
        {
            struct sigaction action = {};
            if (sigaction(sig, nullptr, &action) != 0) continue;
            s.handlers.emplace_back(reinterpret_cast<void*>(action.sa_handler), action.sa_flags);
        }
        return s;
    }
    bool operator==(const ProcessState&) const = default;
};

// Settings a host commonly runs with, so that a plug-in that resets them is caught too.
struct HostSettings
{
    HostSettings()
    {
#if defined(__x86_64__) || defined(__i386__)
        savedCsr = _mm_getcsr();
        _mm_setcsr(savedCsr | 0x8040); // flush to zero, denormals are zero
#endif
        savedUmask = ::umask(027);
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &ignore, &savedPipe);
        struct sigaction own = {};
        own.sa_handler = hostsOwnHandler;
        sigaction(SIGUSR1, &own, &savedUsr1);
    }
    ~HostSettings()
    {
        sigaction(SIGUSR1, &savedUsr1, nullptr);
        sigaction(SIGPIPE, &savedPipe, nullptr);
        ::umask(savedUmask);
#if defined(__x86_64__) || defined(__i386__)
        _mm_setcsr(savedCsr);
#endif
    }
    unsigned savedCsr = 0;
    mode_t savedUmask = 0;
    struct sigaction savedPipe = {}, savedUsr1 = {};
};

void runFullSession(AEffect* e)
{
    dispatch(e, effOpen);
    dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(e, effSetBlockSize, 0, 64);
    dispatch(e, effMainsChanged, 0, 1);
    std::vector<float> l(64, 0.5f), r(64, -0.25f);
    std::vector<double> dl(64, 0.5), dr(64, -0.25);
    float* in[] = {l.data(), r.data()};
    double* din[] = {dl.data(), dr.data()};
    for (int block = 0; block < 50; ++block)
    {
        e->processReplacing(e, in, in, 64);
        e->processDoubleReplacing(e, din, din, 64);
    }
    char text[256];
    for (VstInt32 i = 0; i < e->numParams; ++i)
    {
        e->setParameter(e, i, 0.37f);
        dispatch(e, effGetParamDisplay, i, 0, text);
        dispatch(e, effGetParamName, i, 0, text);
    }
    ERect* rect = nullptr;
    dispatch(e, effEditGetRect, 0, 0, &rect);
    dispatch(e, effMainsChanged, 0, 0);
    dispatch(e, effClose);
}

TEST(ProcessState, LoadingRunningAndUnloadingChangeNoProcessSetting)
{
    HostSettings host;
    const ProcessState before = ProcessState::now();

    void* module = dlopen(AMBERLIT_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    EXPECT_TRUE(ProcessState::now() == before) << "after loading";
    auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(module, "VSTPluginMain"));
    ASSERT_NE(entry, nullptr);
    AEffect* first = entry(host2400);
    AEffect* second = entry(host2400);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(ProcessState::now() == before) << "after creating effects";
    runFullSession(first);
    runFullSession(second);
    EXPECT_TRUE(ProcessState::now() == before) << "after running";
    dlclose(module);

    const ProcessState after = ProcessState::now();
    EXPECT_EQ(after.cwd, before.cwd);
    EXPECT_EQ(after.cLocale, before.cLocale);
    EXPECT_EQ(after.cppLocale, before.cppLocale);
    EXPECT_EQ(after.umask, before.umask);
    EXPECT_EQ(after.rounding, before.rounding);
    EXPECT_EQ(after.mxcsrModes, before.mxcsrModes);
    EXPECT_EQ(after.x87Control, before.x87Control);
    EXPECT_TRUE(after.handlers == before.handlers) << "a signal handler changed";
}

} // namespace
