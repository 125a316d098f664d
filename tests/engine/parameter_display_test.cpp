#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "engine/ParameterTable.h"
#include "plugin/AutoComp.h"

namespace
{

struct DisplayCase
{
    VstInt32 index;
    float value;
    const char* display;
};

const DisplayCase kDisplayCases[] = {
    {0, 0.0f, "Off"},          {0, 0.2f, "Off"},   {0, 0.25f, "Clear"}, {0, 0.74f, "Clear"},
    {0, 0.75f, "Valve"},       {2, 0.0f, "1.2:1"}, {2, 0.08f, "1.2:1"}, {2, 0.09f, "1.5:1"},
    {2, 0.5f, "3:1"},          {2, 1.0f, "10:1"},  {4, 0.0f, "0.00"},   {4, 0.5f, "5.00"},
    {4, 0.53f, "5.50"},        {4, 1.0f, "10.00"}, {5, 0.0f, "0.00"},   {5, 0.5f, "5.00"},
    {5, 0.3f, "3.00"},         {5, 0.05f, "0.50"}, {5, 0.056f, "0.50"}, {5, 0.063f, "0.75"},
    {5, 1.0f, "10.00"},        {6, 0.0f, "0.00"},  {6, 0.5f, "15.00"},  {6, 1.0f, "30.00"},
    {6, 0.158333331f, "4.50"}, {1, 0.7f, " "},     {3, 0.7f, " "},      {11, 1.0f, " "},
    {2, 1.5f, "10:1"},         {6, -3.0f, "0.00"},
};

TEST(ParameterDisplay, EachIndexShowsTheTextOfItsValue)
{
    AutoComp effect(nullptr);
    for (const DisplayCase& c : kDisplayCases)
    {
        char text[64] = {};
        effect.setParameter(c.index, c.value);
        effect.getParameterDisplay(c.index, text);
        EXPECT_STREQ(text, c.display) << "index " << c.index << " value " << c.value;
    }
}

TEST(ParameterDisplay, DerivedValuesFollowTheWidenedValue)
{
    EXPECT_EQ(params::driveTarget(0.0f), 0.125);
    EXPECT_EQ(params::driveTarget(1.0f), 128.0);
    EXPECT_EQ(params::driveStep(0.5f), 25);
    EXPECT_EQ(params::driveTarget(0.5f), 0.125 * std::pow(1024.0, 0.625));
    EXPECT_EQ(params::outputGainTarget(0.5f), std::pow(10.0, 30.0 / 40));
    EXPECT_EQ(params::timeScale(0.53f), 0.005 * std::pow(100.0, static_cast<double>(0.53f)));
    // Just below a half step: float arithmetic would round up to step 10.
    EXPECT_EQ(params::outputStep(0.158333331f), 9);
    EXPECT_EQ(params::ratioIndex(0.09f), 1);
}

TEST(ParameterDisplay, OutOfRangeAndNaNValuesAreClampedWhenStored)
{
    AutoComp effect(nullptr);
    effect.setParameter(4, 1.5f);
    EXPECT_EQ(effect.getParameter(4), 1.0f);
    effect.setParameter(4, -3.0f);
    EXPECT_EQ(effect.getParameter(4), 0.0f);
    effect.setParameter(5, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(effect.getParameter(5), 0.0f);
    EXPECT_EQ(effect.getKernel().getProcessMode(), 2);
    effect.setParameter(0, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(effect.getKernel().getProcessMode(), 0);
    effect.setParameter(3, 0.7f);
    EXPECT_EQ(effect.getParameter(3), 0.7f);
    effect.setParameter(12, 0.5f);
    EXPECT_EQ(effect.getParameter(12), 0.0f);
    EXPECT_EQ(effect.getParameter(-1), 0.0f);
}

TEST(ParameterDisplay, DisplayTextsParseBackToTheirValues)
{
    for (const DisplayCase& c : kDisplayCases)
    {
        if (!params::isVisible(c.index) || c.value < 0 || c.value > 1)
        {
            continue;
        }
        float value = -1;
        ASSERT_TRUE(params::valueFromDisplay(c.index, c.display, value)) << c.display;
        char text[params::kTextSize] = {};
        params::display(c.index, value, text);
        EXPECT_STREQ(text, c.display);
    }
    float value = 0;
    EXPECT_FALSE(params::valueFromDisplay(params::kRatio, "5:1", value));
    EXPECT_FALSE(params::valueFromDisplay(params::kOutput, "31", value));
    EXPECT_FALSE(params::valueFromDisplay(params::kTime, "2x", value));
    EXPECT_FALSE(params::valueFromDisplay(params::kTime, "nan", value));
    EXPECT_FALSE(params::valueFromDisplay(1, "0.5", value));
}

} // namespace
