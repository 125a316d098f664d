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
    std::memcpy(values, kInitValues, sizeof values);
}

void CProgram::setName(const char* text)
{
    std::memset(name, 0, sizeof name);
    if (text)
    {
        std::strncpy(name, text, kNameSize - 1);
    }
}

void CProgram::getName(char* text)
{
    std::memcpy(text, name, sizeof name);
}

void CProgram::setParameter(int32_t index, float value)
{
    if (index >= 0 && index < kNumValues)
    {
        values[index] = params::clampValue(value);
    }
}

float CProgram::getParameter(int32_t index)
{
    return index >= 0 && index < kNumValues ? values[index] : -1.0f;
}
