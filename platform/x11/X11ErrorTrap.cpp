#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xlibint.h>

#include <cstdlib>

namespace platform::x11
{

namespace
{

// Our tag among the display's extension data ("AMBL").
constexpr int kRecordNumber = 0x414D424C;

struct ErrorRecord
{
    unsigned long count;
    unsigned char lastCode;
};

ErrorRecord* recordOf(Display* display)
{
    XEDataObject object;
    object.display = display;
    XExtData* data = XFindOnExtensionList(XEHeadOfExtensionList(object), kRecordNumber);
    return data ? reinterpret_cast<ErrorRecord*>(data->private_data) : nullptr;
}

// Called by Xlib with the display locked: no requests from here.
Bool recordError(Display* display, XErrorEvent* event, xError*)
{
    if (ErrorRecord* record = recordOf(display))
    {
        ++record->count;
        record->lastCode = event->error_code;
    }
    return False; // handled: the process-wide handler never hears of it
}

} // namespace

X11ErrorTrap::X11ErrorTrap(Display* connection) : display(connection)
{
    // Xlib frees both blocks with the display (free_private null: plain free).
    auto* data = static_cast<XExtData*>(std::calloc(1, sizeof(XExtData)));
    auto* record = static_cast<ErrorRecord*>(std::calloc(1, sizeof(ErrorRecord)));
    if (!data || !record)
    {
        std::free(data);
        std::free(record);
        return;
    }
    data->number = kRecordNumber;
    data->private_data = reinterpret_cast<XPointer>(record);
    XEDataObject object;
    object.display = connection;
    XAddToExtensionList(XEHeadOfExtensionList(object), data);
    for (int code = 1; code < 256; ++code)
        XESetWireToError(connection, code, recordError);
}

unsigned long X11ErrorTrap::count() const
{
    const ErrorRecord* record = recordOf(display);
    return record ? record->count : 0;
}

bool X11ErrorTrap::failedSince(unsigned long mark)
{
    XSync(display, False);
    return count() != mark;
}

unsigned char X11ErrorTrap::lastErrorCode() const
{
    const ErrorRecord* record = recordOf(display);
    return record ? record->lastCode : 0;
}

} // namespace platform::x11
