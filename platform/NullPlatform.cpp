#include "platform/NullPlatform.h"

#include <chrono>
#include <thread>

namespace platform
{

std::unique_ptr<Window> NullPlatform::createChildWindow(NativeHandle parent, Size size,
                                                        WindowListener& listener)
{
    return nullptr;
}

uint32_t NullPlatform::ticks()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void NullPlatform::sleep(uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace platform
