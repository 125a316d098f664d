#include "platform/x11/X11Image.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <bit>

#include "platform/x11/X11Platform.h"

namespace platform::x11
{

namespace
{

constexpr int kSharedMemoryFrom = 128 * 128; // pixels
constexpr int kNativeByteOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;

// An 8-bit channel placed into a visual's mask of any width.
unsigned long channelInto(uint32_t value8, unsigned long mask)
{
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const unsigned long scaled =
        bits <= 8 ? value8 >> (8 - bits) : static_cast<unsigned long>(value8) << (bits - 8);
    return (scaled << shift) & mask;
}

} // namespace

X11Image::X11Image(X11Platform& system, ::Window drawable, Size size)
    : platform(system), display(system.display()), window(drawable)
{
    XWindowAttributes attributes{};
    const unsigned long mark = platform.errors().count();
    if (XGetWindowAttributes(display, window, &attributes) && !platform.errors().failedSince(mark))
    {
        visual = attributes.visual;
        depth = attributes.depth;
    }
    else
    {
        visual = DefaultVisual(display, DefaultScreen(display));
        depth = DefaultDepth(display, DefaultScreen(display));
    }
    gc = XCreateGC(display, window, 0, nullptr);
    resize(size);
}

X11Image::~X11Image()
{
    release();
    if (gc) XFreeGC(display, gc);
}

void X11Image::resize(Size size)
{
    release();
    imageSize = Size{std::max(size.width, 1), std::max(size.height, 1)};
    if (!(platform.shmUsable() && createShared())) createPlain();
}

bool X11Image::directLayout(const XImage& layout) const
{
    return layout.bits_per_pixel == 32 && visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 &&
           visual->blue_mask == 0xFF;
}

bool X11Image::createShared()
{
    image = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &shmInfo,
                            static_cast<unsigned>(imageSize.width), static_cast<unsigned>(imageSize.height));
    if (!image) return false;
    const auto bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(imageSize.height);
    shmInfo.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* address = shmInfo.shmid >= 0 ? shmat(shmInfo.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
    if (address == reinterpret_cast<void*>(-1))
    {
        if (shmInfo.shmid >= 0) shmctl(shmInfo.shmid, IPC_RMID, nullptr);
        XDestroyImage(image);
        image = nullptr;
        platform.disableShm();
        return false;
    }
    shmInfo.shmaddr = image->data = static_cast<char*>(address);
    shmInfo.readOnly = False;
    const unsigned long mark = platform.errors().count();
    XShmAttach(display, &shmInfo);
    const bool failed = platform.errors().failedSince(mark);
    // The segment goes away by itself once both sides have detached.
    shmctl(shmInfo.shmid, IPC_RMID, nullptr);
    if (failed)
    {
        image->data = nullptr;
        XDestroyImage(image);
        image = nullptr;
        shmdt(shmInfo.shmaddr);
        platform.disableShm();
        return false;
    }
    shm = true;
    direct = directLayout(*image) && image->byte_order == kNativeByteOrder;
    if (!direct)
        own.assign(static_cast<size_t>(imageSize.width) * static_cast<size_t>(imageSize.height), 0xFF000000u);
    return true;
}

void X11Image::createPlain()
{
    const auto w = static_cast<unsigned>(imageSize.width);
    const auto h = static_cast<unsigned>(imageSize.height);
    own.assign(static_cast<size_t>(w) * h, 0xFF000000u);
    image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr, w, h, 32, 0);
    if (!image) return;
    direct = directLayout(*image);
    if (direct)
    {
        // Xlib swaps to the server's order on the way if needed.
        image->byte_order = kNativeByteOrder;
        image->bytes_per_line = static_cast<int>(w * 4);
        image->data = reinterpret_cast<char*>(own.data());
    }
    else
    {
        plainData.assign(static_cast<size_t>(image->bytes_per_line) * h, 0);
        image->data = plainData.data();
    }
}

void X11Image::release()
{
    if (image)
    {
        if (shm)
        {
            XShmDetach(display, &shmInfo);
            XSync(display, False);
        }
        image->data = nullptr; // never Xlib's to free
        XDestroyImage(image);
        if (shm) shmdt(shmInfo.shmaddr);
    }
    image = nullptr;
    shm = false;
    direct = false;
    shmInfo = XShmSegmentInfo{};
    own.clear();
    plainData.clear();
}

PixelSpan X11Image::pixels()
{
    if (shm && direct)
        return PixelSpan{reinterpret_cast<uint32_t*>(image->data), imageSize.width, imageSize.height,
                         image->bytes_per_line / 4};
    return PixelSpan{own.data(), imageSize.width, imageSize.height, imageSize.width};
}

void X11Image::convert(const Rect& area)
{
    const PixelSpan span = pixels();
    for (int y = area.top; y < area.bottom; ++y)
    {
        const uint32_t* row = span.pixels + static_cast<ptrdiff_t>(y) * span.stride;
        for (int x = area.left; x < area.right; ++x)
        {
            const uint32_t p = row[x];
            const unsigned long value = channelInto((p >> 16) & 0xFF, visual->red_mask) |
                                        channelInto((p >> 8) & 0xFF, visual->green_mask) |
                                        channelInto(p & 0xFF, visual->blue_mask);
            XPutPixel(image, x, y, value);
        }
    }
}

void X11Image::present(const Rect& wanted)
{
    if (!image) return;
    const Rect area{std::max(wanted.left, 0), std::max(wanted.top, 0),
                    std::min(wanted.right, imageSize.width), std::min(wanted.bottom, imageSize.height)};
    if (area.empty()) return;
    if (depth == 32 && direct)
    {
        // An ARGB visual would show our unused alpha byte as transparency.
        const PixelSpan span = pixels();
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                span.pixels[static_cast<ptrdiff_t>(y) * span.stride + x] |= 0xFF000000u;
    }
    if (!direct) convert(area);
    const auto w = static_cast<unsigned>(area.width());
    const auto h = static_cast<unsigned>(area.height());
    // Small areas go faster through the protocol than through the round trip
    // that shared memory needs before the buffer may be drawn into again.
    if (shm && area.width() * area.height() >= kSharedMemoryFrom)
    {
        XShmPutImage(display, window, gc, image, area.left, area.top, area.left, area.top, w, h, False);
        // The server must have read the segment before anyone draws into it again.
        XSync(display, False);
    }
    else
    {
        XPutImage(display, window, gc, image, area.left, area.top, area.left, area.top, w, h);
        XFlush(display);
    }
}

} // namespace platform::x11
