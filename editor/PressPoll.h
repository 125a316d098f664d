// The press poll of the panel's buttons: where a press may block they hold the
// user-interface thread until the primary button comes up, without idling the
// editor; elsewhere the frame watches for the release.
#pragma once

#include "gui/CDrawContext.h"
#include "gui/CFrame.h"

namespace pressPoll
{

// Each turn yields a millisecond, so the poll does not spin a core while the
// button is held.
inline void waitForRelease(gui::CFrame* frame)
{
    if (!frame || !frame->getPlatform()) return;
    while (frame->getCurrentMouseButtons() & gui::buttonLeft)
        frame->getPlatform()->sleep(1);
}

// Hands the wait for the release to the frame where a press may not block;
// false when the caller must poll.
inline bool trackRelease(gui::CView& view, gui::CPointerTracker& tracker)
{
    gui::CFrame* frame = view.getFrame();
    if (!frame || frame->pressesMayBlock()) return false;
    frame->beginTracking(&view, &tracker);
    return true;
}

// Shows a state change at once; the frame's idle does not run during the poll.
inline void drawNow(gui::CView& view, gui::CDrawContext* context)
{
    if (context) view.draw(context);
}

} // namespace pressPoll
