#include "TestEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace
{

constexpr VstInt32 kWide = 64;

struct NumberTextTest : ::testing::Test
{
    TestEffect effect{nullptr};
    char text[kWide + 1] = {};
};

TEST_F(NumberTextTest, Float2stringFillsEightCharactersTruncating)
{
    const struct
    {
        float value;
        const char* expected;
    } cases[] = {
        {1.5f, "1.500000"},
        {123.25f, "123.2500"},
        {0.0f, "0.000000"},
        {-0.0f, "0.000000"},
        {-1.5f, "-1.50000"},
        {-0.25f, "-0.25000"},
        {0.1f, "0.100000"},        // 0.100000001... truncates, no rounding artefact
        {2.0f / 3.0f, "0.666666"}, // truncated, not rounded up
        {1234567.0f, "1234567."},
        {12345678.0f, "12345678"}, // no room for the point
        {-1234567.0f, "-1234567"},
        {-9999999.0f, "-9999999"},
        {99999999.0f, "Huge!"}, // nearest float is 1e8
        {-10000000.0f, "Huge!"},
        {std::numeric_limits<float>::infinity(), "Huge!"},
        {-std::numeric_limits<float>::infinity(), "Huge!"},
        {std::nanf(""), "NaN"},
    };
    for (const auto& c : cases)
    {
        effect.float2string(c.value, text, kWide);
        EXPECT_STREQ(text, c.expected) << c.value;
    }
}

TEST_F(NumberTextTest, Int2stringWritesDecimalOrHuge)
{
    const struct
    {
        VstInt32 value;
        const char* expected;
    } cases[] = {
        {0, "0"},
        {-42, "-42"},
        {7, "7"},
        {99999999, "99999999"},
        {100000000, "Huge!"},
        {std::numeric_limits<VstInt32>::max(), "Huge!"},
        {std::numeric_limits<VstInt32>::min(), "-2147483648"},
    };
    for (const auto& c : cases)
    {
        effect.int2string(c.value, text, kWide);
        EXPECT_STREQ(text, c.expected) << c.value;
    }
}

TEST_F(NumberTextTest, UnitConversions)
{
    effect.dB2string(1.0f, text, kWide);
    EXPECT_STREQ(text, "0.000000");
    effect.dB2string(0.0f, text, kWide);
    EXPECT_STREQ(text, "-oo");
    effect.dB2string(-1.0f, text, kWide);
    EXPECT_STREQ(text, "-oo");
    effect.dB2string(10.0f, text, kWide);
    EXPECT_STREQ(text, "20.00000");
    effect.Hz2string(100.0f, text, kWide); // 44100 / 100
    EXPECT_STREQ(text, "441.0000");
    effect.Hz2string(0.0f, text, kWide);
    EXPECT_STREQ(text, "0.000000");
    effect.ms2string(441.0f, text, kWide);
    EXPECT_STREQ(text, "10.00000");
}

TEST_F(NumberTextTest, OutputIsCutToMaxLenAndTerminatedThere)
{
    std::string guard(20, '#');
    std::copy(guard.begin(), guard.end(), text);
    effect.float2string(123.25f, text, 4);
    EXPECT_STREQ(text, "123.");
    EXPECT_EQ(text[5], '#'); // nothing written past the terminator
    effect.int2string(-42, text, 0);
    EXPECT_STREQ(text, "");
    effect.dB2string(0.0f, text, 2);
    EXPECT_STREQ(text, "-o");
}

} // namespace
