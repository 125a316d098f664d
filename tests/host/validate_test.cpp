#include "host/validate/Validator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

struct Report
{
    int exitCode;
    std::string report;
};

// Without a display the editor check is skipped, so the run does not depend on one.
Report validate(const char* plugin, bool withDisplay = false)
{
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    if (!withDisplay) ::unsetenv("DISPLAY");
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    host::ValidationOptions options;
    options.quick = true;
    const int exitCode = host::runValidation(plugin, options, out);
    std::fclose(out);
    Report run{exitCode, std::string(text, size)};
    std::free(text);
    if (!display.empty()) ::setenv("DISPLAY", display.c_str(), 1);
    return run;
}

std::string lineOf(const std::string& report, const std::string& check)
{
    const std::size_t at = report.find("  " + check + " ");
    if (at == std::string::npos) return {};
    const std::size_t start = report.rfind('\n', at) + 1;
    return report.substr(start, report.find('\n', at) - start);
}

TEST(Validate, AHealthyPlugInPassesEveryCheck)
{
    const Report run = validate(GAIN_PLUGIN_PATH);
    EXPECT_EQ(run.exitCode, 0) << run.report;
    EXPECT_EQ(run.report.find("FAIL"), std::string::npos) << run.report;
    EXPECT_NE(run.report.find("12 passed, 0 failed"), std::string::npos) << run.report;
}

TEST(Validate, EachFaultFailsItsOwnCheckAndTheRunGoesOn)
{
    const Report run = validate(GAIN_PLUGIN_FAULTY_PATH);
    EXPECT_EQ(run.exitCode, 1);
    const std::string texts = lineOf(run.report, "indices and texts");
    EXPECT_TRUE(texts.starts_with("FAIL") && texts.find("effect name 0 wrote") != std::string::npos) << texts;
    const std::string blocks = lineOf(run.report, "blocks and entries");
    EXPECT_TRUE(blocks.starts_with("FAIL") && blocks.find("crashed") != std::string::npos &&
                blocks.find("empty blocks") != std::string::npos)
        << blocks;
    // The crash ended that check's process only.
    EXPECT_TRUE(lineOf(run.report, "programs").starts_with("PASS")) << run.report;
}

// Each fault of the test module, alone, fails its check and only that one:
// a check that cannot fail would show here.
struct Fault
{
    const char* name;
    const char* check;
};

class EachCheck : public testing::TestWithParam<Fault>
{
};

TEST_P(EachCheck, FailsOnItsFaultAndNoOtherDoes)
{
    const Fault fault = GetParam();
    const bool editor = std::string(fault.check) == "editor";
    if (editor && !std::getenv("DISPLAY")) GTEST_SKIP() << "the editor check needs a display";
    ::setenv("GAIN_PLUGIN_FAULT", fault.name, 1);
    const Report run = validate(GAIN_PLUGIN_FAULTY_PATH, editor);
    ::unsetenv("GAIN_PLUGIN_FAULT");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(lineOf(run.report, fault.check).starts_with("FAIL")) << run.report;
    EXPECT_NE(run.report.find(" 1 failed"), std::string::npos) << run.report;
}

INSTANTIATE_TEST_SUITE_P(
    Validate, EachCheck,
    testing::Values(Fault{"instances", "open and close"}, Fault{"trap", "floating-point traps"},
                    Fault{"text", "indices and texts"}, Fault{"rate", "rate in every order"},
                    Fault{"range", "rate range"}, Fault{"empty", "blocks and entries"},
                    Fault{"threads", "threads"}, Fault{"hostile", "hostile input"},
                    Fault{"extreme", "extreme 64-bit input"}, Fault{"subnormal", "subnormal input cost"},
                    Fault{"programs", "programs"}, Fault{"editor", "editor"}),
    [](const testing::TestParamInfo<Fault>& fault) { return std::string(fault.param.name); });

} // namespace
