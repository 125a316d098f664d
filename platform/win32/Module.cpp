#include "platform/win32/Module.h"

#include <windows.h>

#include <atomic>

#include "platform/win32/WideText.h"

namespace platform::win32
{

namespace
{
// Written once under the loader lock, read from any thread afterwards.
std::atomic<NativeHandle> instanceHandle{nullptr};
} // namespace

void rememberModule(NativeHandle instance)
{
    instanceHandle.store(instance, std::memory_order_relaxed);
}

NativeHandle moduleInstance()
{
    return instanceHandle.load(std::memory_order_relaxed);
}

std::string moduleFileName()
{
    const auto module = static_cast<HMODULE>(moduleInstance());
    // The path may be longer than MAX_PATH; a full buffer means it was cut.
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt)
    {
        const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size())
        {
            path.resize(length);
            return utf8Of(path);
        }
        path.resize(path.size() * 2);
    }
    return {};
}

} // namespace platform::win32
