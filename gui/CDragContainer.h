// What a drag from another application carries, as the views see it: one
// text, or a list of local files. Views that take drops read it in `onDrop`;
// one that keeps it longer retains it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gui/CReferenceCounter.h"
#include "platform/platform.h"

namespace gui
{

class CDragContainer : public CReferenceCounter
{
  public:
    // Keeps its own copy: the platform's data is gone after its event.
    explicit CDragContainer(const platform::DragData& data);

    // A text counts as one item, a file list as its files; nothing usable, 0.
    std::int32_t getCount() const { return nbItems; }
    bool isFileList() const { return nbItems > 0 && data.text.empty(); }
    const std::string& getText() const { return data.text; }
    // Local paths, decoded.
    const std::vector<std::string>& getFiles() const { return data.files; }

  private:
    platform::DragData data;
    std::int32_t nbItems = 0;
};

} // namespace gui
