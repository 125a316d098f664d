// A gesture that goes on after the press that started it. Where a press may
// not hold the thread (see platform::Platform::pressesMayBlock), a control
// hands itself to the frame, which feeds it the pointer from the editor's idle
// and from the window's pointer events until the control reports the end.
#pragma once

#include <cstdint>

#include "raster/CViewTypes.h"

namespace gui
{

class CDrawContext;

class CPointerTracker
{
  public:
    // One reading: `where` in the coordinates the control's own mouse handler
    // gets, `buttons` as `buttonLeft` ... `modAlt` flags. False once the
    // gesture is over; the frame then forgets the tracker.
    virtual bool trackPointer(CDrawContext* context, const CViewPoint& where, std::int32_t buttons) = 0;
    // The gesture is cut short (the frame goes, or the control leaves it):
    // close it without waiting for the release.
    virtual void abortTracking() = 0;

  protected:
    ~CPointerTracker() = default;
};

} // namespace gui
