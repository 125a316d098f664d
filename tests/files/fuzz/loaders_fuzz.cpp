// libFuzzer entry for the bank and preset loaders and the settings reader.
#include "LoaderChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    loader_checks::checkAll(data, size);
    return 0;
}
