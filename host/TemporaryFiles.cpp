#include "host/TemporaryFiles.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace host
{
namespace
{

// Fixed storage: the signal handler may only read memory that is never reallocated.
struct Slot
{
    char path[PATH_MAX];
    std::atomic<bool> used{false};
};
Slot slots[8];
static_assert(std::atomic<bool>::is_always_lock_free, "read inside a signal handler");

extern "C" void removeAndRaise(int signal)
{
    for (Slot& slot : slots)
        if (slot.used.load()) ::unlink(slot.path);
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

} // namespace

void TemporaryFiles::removeOnInterrupt()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    {
        struct sigaction current = {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction handler = {};
        handler.sa_handler = removeAndRaise;
        sigemptyset(&handler.sa_mask);
        ::sigaction(signal, &handler, nullptr);
    }
}

int TemporaryFiles::watch(const std::string& path)
{
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < static_cast<int>(std::size(slots)); ++i)
    {
        Slot& slot = slots[i];
        if (slot.used.load()) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.used.store(true);
        return i;
    }
    return -1;
}

void TemporaryFiles::forget(int slot)
{
    if (slot >= 0 && slot < static_cast<int>(std::size(slots))) slots[slot].used.store(false);
}

} // namespace host
