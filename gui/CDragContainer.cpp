#include "gui/CDragContainer.h"

namespace gui
{

CDragContainer::CDragContainer(const platform::DragData& dragData) : data(dragData)
{
    // Text is asked for first: a source offering both is taken as text.
    if (!data.text.empty())
    {
        data.files.clear();
        nbItems = 1;
    }
    else
    {
        nbItems = static_cast<std::int32_t>(data.files.size());
    }
}

} // namespace gui
