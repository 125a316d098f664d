// A window's back buffer and the way it reaches the screen: 32-bit pixels in
// memory, put into the window through shared memory when the server offers it
// on a local connection, else through the protocol. The buffer is the image
// itself when the visual stores 0x00RRGGBB in 32 bits; other TrueColor
// layouts are converted on the way out.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace platform::x11
{

class X11Platform;

class X11Image
{
  public:
    X11Image(X11Platform& system, ::Window drawable, Size size);
    ~X11Image();
    X11Image(const X11Image&) = delete;
    X11Image& operator=(const X11Image&) = delete;

    // Content is undefined afterwards.
    void resize(Size size);
    Size size() const { return imageSize; }
    PixelSpan pixels();
    void present(const Rect& wanted);
    bool usesSharedMemory() const { return shm; }

  private:
    bool createShared();
    void createPlain();
    void release();
    bool directLayout(const XImage& layout) const;
    void convert(const Rect& area);

    X11Platform& platform;
    Display* display;
    ::Window window;
    Visual* visual = nullptr;
    int depth = 24;
    GC gc = nullptr;
    Size imageSize;
    XImage* image = nullptr;
    XShmSegmentInfo shmInfo{};
    bool shm = false;
    bool direct = false;       // pixels are the image's data
    std::vector<uint32_t> own; // the pixels when they are not
    std::vector<char> plainData;
};

} // namespace platform::x11
