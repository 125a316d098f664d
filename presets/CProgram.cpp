#include "presets/CProgram.h"

#include <cstring>

#include "engine/ParameterTable.h"

namespace
{
constexpr float kInitValues[CProgram::kNumValues] = {1.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.5f,
                                                     0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
}

CProgram::CProgram()
{
    setName("init");
    for (int32_t i = 0; i < kNumValues; ++i)
    {
        values[i].store(kInitValues[i], std::memory_order_relaxed);
    }
}

void CProgram::setName(const char* text)
{
    const std::lock_guard lock(nameLock);
    std::memset(name, 0, sizeof name);
    if (text)
    {
        std::strncpy(name, text, kNameSize - 1);
    }
}

void CProgram::getName(char* text)
{
    const std::lock_guard lock(nameLock);
    std::memcpy(text, name, sizeof name);
}

void CProgram::setParameter(int32_t index, float value)
{
    if (index >= 0 && index < kNumValues)
    {
        values[index].store(params::clampValue(value), std::memory_order_relaxed);
    }
}

float CProgram::getParameter(int32_t index)
{
    return index >= 0 && index < kNumValues ? values[index].load(std::memory_order_relaxed) : -1.0f;
}
