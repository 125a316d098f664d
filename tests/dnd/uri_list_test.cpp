// Turning a dropped text/uri-list into local paths.
#include <gtest/gtest.h>

#include "platform/x11/XdndTarget.h"

namespace
{

using platform::x11::filesFromUriList;

struct UriCase
{
    const char* claim;
    const char* list;
    std::vector<std::string> files;
};

TEST(UriList, KeepsLocalFilesAndDecodesThem)
{
    const UriCase cases[] = {
        {"escapes decoded, CRLF and LF ends",
         "file:///a%20b/%C3%A9.wav\r\nfile:///c\n",
         {"/a b/\xC3\xA9.wav", "/c"}},
        {"local host names accepted", "file://localhost/x\r\nfile://thishost/y\r\n", {"/x", "/y"}},
        {"short form without authority", "file:/z\r\n", {"/z"}},
        {"comments, blanks and padding", "# note\r\n\r\n  file:///p  \r\n", {"/p"}},
        {"upper-case scheme", "FILE:///q\r\n", {"/q"}},
        {"other schemes and hosts left out", "http://h/x\r\nfile://elsewhere/y\r\n", {}},
        {"broken escapes left out", "file:///a%2\r\nfile:///b%zz\r\nfile:///ok\r\n", {"/ok"}},
        {"an escaped NUL is no path", "file:///a%00b\r\n", {}},
        {"relative paths left out", "file://localhost\r\nfile:rel\r\n", {}},
    };
    for (const UriCase& c : cases)
        EXPECT_EQ(filesFromUriList(c.list, "thishost"), c.files) << c.claim;
}

} // namespace
