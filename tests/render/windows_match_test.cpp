// The Windows DLL behaves as the Linux module: the same host program runs both
// modules. What a host reads (record, names, display texts, capabilities) is
// the same text; the audio of both process entries, for the same programme and
// settings, agrees within 1e-9 (the two C runtimes round their transcendental
// functions differently, so bit equality is not promised).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

struct CommandResult
{
    int status = -1;
    std::string output;
};

CommandResult runCommand(const std::string& command)
{
    CommandResult run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
    run.status = ::pclose(pipe);
    return run;
}

std::vector<char> readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Difference
{
    std::size_t samples = 0, differing = 0;
    double largest = 0.0;
};

template <typename Sample>
void compare(const char* linuxOutput, const char* windowsOutput, std::size_t count, Difference& d)
{
    for (std::size_t i = 0; i < count; ++i)
    {
        Sample a, b;
        std::memcpy(&a, linuxOutput + i * sizeof(Sample), sizeof a);
        std::memcpy(&b, windowsOutput + i * sizeof(Sample), sizeof b);
        const double gap = std::fabs(static_cast<double>(a) - static_cast<double>(b));
        d.differing += gap != 0.0 || std::isnan(gap);
        d.largest = std::isnan(gap) ? INFINITY : std::max(d.largest, gap);
    }
    d.samples += count;
}

TEST(WindowsBuild, DllOutputMatchesTheLinuxModuleOnBothEntries)
{
    const char* windowsBuild = std::getenv("AMBERLIT_WINDOWS_BUILD");
    if (!windowsBuild || !*windowsBuild)
        GTEST_SKIP() << "no Windows build named (scripts/test --windows names one)";
    const fs::path build = fs::absolute(windowsBuild);
    const fs::path dir = fs::temp_directory_path() / ("amberlit-render-" + std::to_string(::getpid()));
    fs::create_directories(dir);

    const CommandResult onLinux = runCommand(std::string(RENDER_HOST_PATH) + " " + AMBERLIT_PLUGIN_PATH +
                                             " " + (dir / "linux.raw").string() + " 4");
    ASSERT_EQ(onLinux.status, 0) << onLinux.output;
    const CommandResult onWindows =
        runCommand(std::string(AMBERLIT_SOURCE_DIR) + "/scripts/wine-run " +
                   (build / "amberlit_render_host.exe").string() + " Z:" + (build / "amberLit.dll").string() +
                   " Z:" + (dir / "windows.raw").string() + " 4");
    ASSERT_EQ(onWindows.status, 0) << onWindows.output;
    std::size_t cases = 0, frames = 0;
    ASSERT_EQ(std::sscanf(onLinux.output.c_str(), "cases %zu frames %zu", &cases, &frames), 2)
        << onLinux.output;

    const std::vector<char> a = readAll(dir / "linux.raw"), b = readAll(dir / "windows.raw");
    const std::vector<char> textA = readAll(dir / "linux.raw.txt"), textB = readAll(dir / "windows.raw.txt");
    fs::remove_all(dir);
    ASSERT_GT(textA.size(), 1000u);
    EXPECT_EQ(std::string(textB.begin(), textB.end()), std::string(textA.begin(), textA.end()));
    const std::size_t caseBytes = frames * 2 * (sizeof(float) + sizeof(double));
    ASSERT_EQ(a.size(), cases * caseBytes);
    ASSERT_EQ(b.size(), a.size());
    Difference single, twice;
    for (std::size_t c = 0; c < cases; ++c)
    {
        const std::size_t start = c * caseBytes, second = start + frames * 2 * sizeof(float);
        compare<float>(a.data() + start, b.data() + start, frames * 2, single);
        compare<double>(a.data() + second, b.data() + second, frames * 2, twice);
    }
    EXPECT_LE(single.largest, 1e-9);
    EXPECT_LE(twice.largest, 1e-9);
    std::printf("32-bit entry: %zu of %zu samples differ, largest difference %.3g\n", single.differing,
                single.samples, single.largest);
    std::printf("64-bit entry: %zu of %zu samples differ, largest difference %.3g\n", twice.differing,
                twice.samples, twice.largest);
    std::printf("Linux:\n%sWindows under Wine:\n%s", onLinux.output.c_str(), onWindows.output.c_str());
}

} // namespace
