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

X11Image::X11Image(X11Platform& platform, ::Window window, Size size)
    : platform_(platform), display_(platform.display()), window_(window)
{
    XWindowAttributes attributes{};
    const unsigned long mark = platform_.errors().count();
    if (XGetWindowAttributes(display_, window_, &attributes) && !platform_.errors().failedSince(mark))
    {
        visual_ = attributes.visual;
        depth_ = attributes.depth;
    }
    else
    {
        visual_ = DefaultVisual(display_, DefaultScreen(display_));
        depth_ = DefaultDepth(display_, DefaultScreen(display_));
    }
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    resize(size);
}

X11Image::~X11Image()
{
    release();
    if (gc_) XFreeGC(display_, gc_);
}

void X11Image::resize(Size size)
{
    release();
    size_ = Size{std::max(size.width, 1), std::max(size.height, 1)};
    if (!(platform_.shmUsable() && createShared())) createPlain();
}

bool X11Image::directLayout(const XImage& image) const
{
    return image.bits_per_pixel == 32 && visual_->red_mask == 0xFF0000 && visual_->green_mask == 0xFF00 &&
           visual_->blue_mask == 0xFF;
}

bool X11Image::createShared()
{
    image_ = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr, &shmInfo_,
                             static_cast<unsigned>(size_.width), static_cast<unsigned>(size_.height));
    if (!image_) return false;
    const auto bytes = static_cast<size_t>(image_->bytes_per_line) * static_cast<size_t>(size_.height);
    shmInfo_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* address = shmInfo_.shmid >= 0 ? shmat(shmInfo_.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
    if (address == reinterpret_cast<void*>(-1))
    {
        if (shmInfo_.shmid >= 0) shmctl(shmInfo_.shmid, IPC_RMID, nullptr);
        XDestroyImage(image_);
        image_ = nullptr;
        platform_.disableShm();
        return false;
    }
    shmInfo_.shmaddr = image_->data = static_cast<char*>(address);
    shmInfo_.readOnly = False;
    const unsigned long mark = platform_.errors().count();
    XShmAttach(display_, &shmInfo_);
    const bool failed = platform_.errors().failedSince(mark);
    // The segment goes away by itself once both sides have detached.
    shmctl(shmInfo_.shmid, IPC_RMID, nullptr);
    if (failed)
    {
        image_->data = nullptr;
        XDestroyImage(image_);
        image_ = nullptr;
        shmdt(shmInfo_.shmaddr);
        platform_.disableShm();
        return false;
    }
    shm_ = true;
    direct_ = directLayout(*image_) && image_->byte_order == kNativeByteOrder;
    if (!direct_)
        own_.assign(static_cast<size_t>(size_.width) * static_cast<size_t>(size_.height), 0xFF000000u);
    return true;
}

void X11Image::createPlain()
{
    const auto w = static_cast<unsigned>(size_.width);
    const auto h = static_cast<unsigned>(size_.height);
    own_.assign(static_cast<size_t>(w) * h, 0xFF000000u);
    image_ = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr, w, h, 32, 0);
    if (!image_) return;
    direct_ = directLayout(*image_);
    if (direct_)
    {
        // Xlib swaps to the server's order on the way if needed.
        image_->byte_order = kNativeByteOrder;
        image_->bytes_per_line = static_cast<int>(w * 4);
        image_->data = reinterpret_cast<char*>(own_.data());
    }
    else
    {
        plainData_.assign(static_cast<size_t>(image_->bytes_per_line) * h, 0);
        image_->data = plainData_.data();
    }
}

void X11Image::release()
{
    if (image_)
    {
        if (shm_)
        {
            XShmDetach(display_, &shmInfo_);
            XSync(display_, False);
        }
        image_->data = nullptr; // never Xlib's to free
        XDestroyImage(image_);
        if (shm_) shmdt(shmInfo_.shmaddr);
    }
    image_ = nullptr;
    shm_ = false;
    direct_ = false;
    shmInfo_ = XShmSegmentInfo{};
    own_.clear();
    plainData_.clear();
}

PixelSpan X11Image::pixels()
{
    if (shm_ && direct_)
        return PixelSpan{reinterpret_cast<uint32_t*>(image_->data), size_.width, size_.height,
                         image_->bytes_per_line / 4};
    return PixelSpan{own_.data(), size_.width, size_.height, size_.width};
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
            const unsigned long value = channelInto((p >> 16) & 0xFF, visual_->red_mask) |
                                        channelInto((p >> 8) & 0xFF, visual_->green_mask) |
                                        channelInto(p & 0xFF, visual_->blue_mask);
            XPutPixel(image_, x, y, value);
        }
    }
}

void X11Image::present(const Rect& wanted)
{
    if (!image_) return;
    const Rect area{std::max(wanted.left, 0), std::max(wanted.top, 0), std::min(wanted.right, size_.width),
                    std::min(wanted.bottom, size_.height)};
    if (area.empty()) return;
    if (depth_ == 32 && direct_)
    {
        // An ARGB visual would show our unused alpha byte as transparency.
        const PixelSpan span = pixels();
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                span.pixels[static_cast<ptrdiff_t>(y) * span.stride + x] |= 0xFF000000u;
    }
    if (!direct_) convert(area);
    const auto w = static_cast<unsigned>(area.width());
    const auto h = static_cast<unsigned>(area.height());
    // Small areas go faster through the protocol than through the round trip
    // that shared memory needs before the buffer may be drawn into again.
    if (shm_ && area.width() * area.height() >= kSharedMemoryFrom)
    {
        XShmPutImage(display_, window_, gc_, image_, area.left, area.top, area.left, area.top, w, h, False);
        // The server must have read the segment before anyone draws into it again.
        XSync(display_, False);
    }
    else
    {
        XPutImage(display_, window_, gc_, image_, area.left, area.top, area.left, area.top, w, h);
        XFlush(display_);
    }
}

} // namespace platform::x11
