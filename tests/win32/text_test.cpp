// Names are stored in the system's ANSI code page, as its preset files expect, and shown as
// stored; one the code page cannot hold is refused instead of being stored as question marks.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/TextEncoding.h"

namespace
{

TEST(StoredText, NamesKeepEveryLetterOrAreRefused)
{
    if (::GetACP() != 1252) GTEST_SKIP() << "the cases are written for a Western code page";
    EXPECT_EQ(platform::storedTextToUtf8("B\xE4ss \x80"), "B\xC3\xA4ss \xE2\x82\xAC");
    EXPECT_EQ(platform::utf8ToStoredText("B\xC3\xA4ss \xE2\x82\xAC"), "B\xE4ss \x80");
    EXPECT_EQ(platform::utf8ToStoredText("\xD0\x91\xD0\xB0\xD1\x81"), std::nullopt) << "Cyrillic";
    EXPECT_EQ(platform::utf8ToStoredText("\xC4\x80"), std::nullopt) << "no best fit of A macron to A";
}

} // namespace
