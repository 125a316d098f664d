#include "host/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

host::Status parse(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "amberlit");
    host::CommandLine commandLine;
    return host::CommandLine::parse(static_cast<int>(arguments.size()), arguments.data(), commandLine);
}

struct Refusal
{
    std::vector<const char*> arguments;
    const char* named; // the refusal names what was not taken
};

TEST(CommandLine, EachCommandRefusesWhatItDoesNotTakeAndNamesIt)
{
    const Refusal refusals[] = {
        {{"info", "--gr-plot", "x.svg"}, "--gr-plot"},
        {{"info", "--block", "64"}, "--block"},
        {{"info", "--scale", "2"}, "--scale"},
        {{"info", "extra", "words"}, "\"extra\""},
        {{"bench", "--precision", "64"}, "--precision"},
        {{"validate", "--preset", "1"}, "--preset"},
        {{"validate", "some.so"}, "\"some.so\""},
        {{"bank", "show", "a.trb", "--plugin", "x.so"}, "--plugin"},
        {{"render", "in.wav", "out.wav", "--quick"}, "--quick"},
        {{"screenshot", "a.png", "b.png"}, "\"b.png\""},
    };
    for (const Refusal& refusal : refusals)
    {
        const host::Status status = parse(refusal.arguments);
        EXPECT_FALSE(status.ok()) << refusal.arguments[0] << " " << refusal.named;
        EXPECT_NE(status.message().find(refusal.named), std::string::npos) << status.message();
    }
}

TEST(CommandLine, EachCommandTakesItsOwnOptions)
{
    const std::vector<std::vector<const char*>> accepted = {
        {"render", "in.wav", "out.wav", "--block", "64", "--precision", "64", "--gr-plot", "gr.svg"},
        {"validate", "--quick", "--strict", "--plugin", "other.so"},
        {"screenshot", "out.png", "--preset", "2", "--scale", "2"},
        {"demo", "folder", "--set", "Ratio=4:1"},
    };
    for (const auto& arguments : accepted)
        EXPECT_TRUE(parse(arguments).ok()) << parse(arguments).message();
}

} // namespace
