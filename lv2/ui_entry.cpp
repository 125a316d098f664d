// The UI module's only visible symbol: the descriptor LV2 hosts look up.
#include <cstring>

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include "lv2/UiInstance.h"
#include "lv2/Uris.h"

namespace
{

UiInstance* self(LV2UI_Handle handle)
{
    return static_cast<UiInstance*>(handle);
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char*, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features)
{
    return UiInstance::create(write, controller, widget, features);
}

void cleanup(LV2UI_Handle handle)
{
    delete self(handle);
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    self(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle)
{
    return self(handle)->idle();
}

const void* extensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idleInterface{idle};
    return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idleInterface : nullptr;
}

const LV2UI_Descriptor kDescriptor{lv2uri::kUi, instantiate, cleanup, portEvent, extensionData};

} // namespace

// LV2_SYMBOL_EXPORT gives the entry C linkage itself.
LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
