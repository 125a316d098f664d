// Files in, files out: the render command end to end against the stand-in
// gain plug-in, its failures, and what the host tells a plug-in about pins.
#include "TestFiles.h"
#include "host/AudioFile.h"
#include "host/AudioFileWriter.h"
#include "host/CommandLine.h"
#include "host/HostCallback.h"
#include "host/LevelMeter.h"
#include "host/RenderSummary.h"
#include "host/TemporaryFiles.h"
#include "host/Tool.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

int runTool(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "amberlit");
    std::vector<const char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(argument.c_str());
    host::CommandLine commandLine;
    const host::Status status =
        host::CommandLine::parse(static_cast<int>(argv.size()), argv.data(), commandLine);
    if (!status.ok()) return 2;
    return host::Tool("").run(commandLine);
}

host::AudioBuffer readBack(const std::string& path)
{
    host::AudioBuffer audio;
    const host::Status status = host::AudioFile::read(path, audio);
    EXPECT_TRUE(status.ok()) << status.message();
    return audio;
}

TEST(RenderCommand, RoundTripAppliesThePresetInBothPrecisions)
{
    ScratchFolder folder;
    const host::AudioBuffer tone = makeTone(2, 0.25, 48000.0);
    ASSERT_TRUE(host::AudioFile::writeAtomically(folder.file("in.wav"), tone, true).ok());
    const double halfGain = std::pow(10.0, -6.0 / 20.0);
    for (const char* precision : {"32", "64"})
    {
        const std::string out = folder.file(std::string("out") + precision + ".wav");
        ASSERT_EQ(runTool({"render", folder.file("in.wav"), out, "--plugin", GAIN_PLUGIN_PATH, "--preset",
                           "Half", "--precision", precision, "--block", "100"}),
                  0);
        const host::AudioBuffer result = readBack(out);
        ASSERT_EQ(result.channelCount(), 2);
        ASSERT_EQ(result.frames(), tone.frames()); // 12000 frames: the last block is short
        EXPECT_EQ(result.sampleRate, 48000.0);
        // 32-bit processing rounds each sample to float; 64-bit keeps it.
        const double tolerance = precision[0] == '3' ? 1e-7 : 1e-15;
        for (int c = 0; c < 2; ++c)
            for (std::size_t i = 0; i < tone.frames(); i += 97)
                ASSERT_NEAR(result.channels[c][i], tone.channels[c][i] * halfGain, tolerance) << precision;
    }
}

TEST(RenderCommand, MonoFileStaysMono)
{
    ScratchFolder folder;
    const host::AudioBuffer tone = makeTone(1, 0.1, 44100.0);
    ASSERT_TRUE(host::AudioFile::writeAtomically(folder.file("mono.flac"), tone, false).ok());
    ASSERT_EQ(runTool({"render", folder.file("mono.flac"), folder.file("out.wav"), "--plugin",
                       GAIN_PLUGIN_PATH, "--set", "Gain=-12"}),
              0);
    const host::AudioBuffer result = readBack(folder.file("out.wav"));
    ASSERT_EQ(result.channelCount(), 1);
    const double gain = std::pow(10.0, -12.0 / 20.0);
    for (std::size_t i = 0; i < tone.frames(); i += 31)
        ASSERT_NEAR(result.channels[0][i], tone.channels[0][i] * gain, 1e-6); // FLAC input is 24-bit
}

TEST(RenderCommand, FailuresLeaveNoOutputAndKeepAnExistingOne)
{
    ScratchFolder folder;
    ASSERT_TRUE(
        host::AudioFile::writeAtomically(folder.file("in.wav"), makeTone(2, 0.05, 44100.0), false).ok());
    std::ofstream(folder.file("garbage.wav")) << "not a sound file";
    std::ofstream(folder.file("kept.wav")) << "previous result";
    const std::string plugin = GAIN_PLUGIN_PATH;
    const std::vector<std::vector<std::string>> failing = {
        {"render", folder.file("missing.wav"), folder.file("new.wav"), "--plugin", plugin},
        {"render", folder.file("garbage.wav"), folder.file("new.wav"), "--plugin", plugin},
        {"render", folder.file("in.wav"), folder.file("new.wav"), "--plugin", plugin, "--set", "Volume=1"},
        {"render", folder.file("in.wav"), folder.file("new.wav"), "--plugin", plugin, "--set", "Gain=99"},
        {"render", folder.file("in.wav"), folder.file("new.wav"), "--plugin", folder.file("in.wav")},
        {"render", folder.file("in.wav"), folder.file("new.mp9"), "--plugin", plugin},
        {"render", folder.file("in.wav"), folder.file("kept.wav"), "--plugin", plugin, "--preset", "Nope"},
        {"render", folder.file("in.wav"), folder.file("no/such/dir.wav"), "--plugin", plugin},
        {"render", folder.file("in.wav"), folder.file("new.wav"), "--plugin", plugin, "--block", "0"},
        {"render", folder.file("in.wav"), folder.file("new.wav"), "--plugin", plugin, "--precision", "48"},
        {"render", folder.file("in.wav"), folder.file("new.wav"), "--plugin", plugin, "--gr-plot",
         folder.file("no/such/dir.svg")},
    };
    for (const auto& arguments : failing)
    {
        EXPECT_NE(runTool(arguments), 0) << arguments[1] << " " << arguments.back();
        EXPECT_FALSE(std::filesystem::exists(folder.file("new.wav")));
        EXPECT_EQ(folder.entryCount(), 3u) << "a temporary file was left behind";
    }
    std::ifstream kept(folder.file("kept.wav"));
    std::string content;
    std::getline(kept, content);
    EXPECT_EQ(content, "previous result");
}

// What a render must not destroy: its own input, an output made read-only, and whatever a link
// planted beside the plot points to. Options that would mean nothing are refused too.
TEST(RenderCommand, KeepsWhatTheUserKeepsAndFollowsNoPlantedLink)
{
    ScratchFolder folder;
    const std::string input = folder.file("in.wav");
    ASSERT_TRUE(host::AudioFile::writeAtomically(input, makeTone(2, 0.05, 44100.0), false).ok());
    std::ofstream(folder.file("locked.wav")) << "kept";
    std::filesystem::permissions(folder.file("locked.wav"), std::filesystem::perms::owner_read);
    std::ofstream(folder.file("victim")) << "kept";
    std::filesystem::create_symlink(folder.file("victim"), folder.file("gr.svg.part"));
    const std::string plugin = GAIN_PLUGIN_PATH;

    EXPECT_EQ(runTool({"render", input, input, "--plugin", plugin}), 1);
    EXPECT_EQ(runTool({"render", input, folder.file("locked.wav"), "--plugin", plugin}), 1);
    EXPECT_EQ(runTool({"render", input, folder.file("out.wav"), "--plugin", plugin, "--preset", ""}), 2);
    EXPECT_EQ(runTool({"render", input, folder.file("out.wav"), "--plugin", plugin, "--gr-plot",
                       folder.file("gr.svg")}),
              0);
    EXPECT_EQ(readBack(input).frames(), 2205u);
    for (const char* kept : {"locked.wav", "victim"})
    {
        std::ifstream file(folder.file(kept));
        std::string content;
        std::getline(file, content);
        EXPECT_EQ(content, "kept") << kept;
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(folder.file("gr.svg")));
    EXPECT_EQ(runTool({"--version"}), 0);
}

// Ctrl-C in the middle of a render: the half-written output must not stay behind.
TEST(RenderCommand, AnInterruptedWriteLeavesNoTemporaryFile)
{
    ScratchFolder folder;
    const pid_t child = ::fork();
    if (child == 0)
    {
        host::TemporaryFiles::removeOnInterrupt();
        host::Status status;
        auto writer = host::AudioFileWriter::create(folder.file("out.wav"), 2, 44100.0, false, status);
        if (!writer || !writer->write(makeTone(2, 0.1, 44100.0), 4410).ok()) ::_exit(1);
        ::raise(SIGINT);
        ::_exit(2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << "ends by the signal, status " << status;
    EXPECT_EQ(folder.entryCount(), 0u);
}

TEST(RenderCommand, PlotIsWrittenBesideTheAudio)
{
    ScratchFolder folder;
    ASSERT_TRUE(
        host::AudioFile::writeAtomically(folder.file("in.wav"), makeTone(2, 0.2, 44100.0), false).ok());
    ASSERT_EQ(runTool({"render", folder.file("in.wav"), folder.file("out.wav"), "--plugin", GAIN_PLUGIN_PATH,
                       "--gr-plot", folder.file("gr.svg")}),
              0);
    std::ifstream plot(folder.file("gr.svg"));
    const std::string svg((std::istreambuf_iterator<char>(plot)), std::istreambuf_iterator<char>());
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
    EXPECT_NE(svg.find("<polyline"), std::string::npos);
}

host::RenderSummary measure(const host::AudioBuffer& input, const host::AudioBuffer& output, double makeupDb)
{
    host::LevelMeter meter(input.sampleRate, makeupDb);
    meter.add(input, output, input.frames());
    meter.finish();
    return meter.summary();
}

TEST(LevelMeasurement, SummaryReadsLevelsAndGainChangeOfAKnownSignal)
{
    const host::AudioBuffer input = makeTone(1, 1.0, 44100.0, 0.5);
    host::AudioBuffer output = input;
    for (double& sample : output.channels[0])
        sample *= 0.5; // 6.02 dB down
    const auto summary = measure(input, output, 0.0);
    EXPECT_NEAR(summary.peakInDb, -6.02, 0.01);
    EXPECT_NEAR(summary.rmsInDb, -9.03, 0.01);
    EXPECT_NEAR(summary.peakOutDb, -12.04, 0.01);
    EXPECT_NEAR(summary.rmsOutDb, -15.05, 0.01);
    EXPECT_NEAR(summary.maxReductionDb, 6.02, 0.01);
    EXPECT_NEAR(summary.averageReductionDb, 6.02, 0.01);
    // Make-up gain taken out: the same 6 dB drop with 6 dB of make-up is 12 dB of reduction.
    EXPECT_NEAR(measure(input, output, 6.0).averageReductionDb, 12.02, 0.01);
}

TEST(LevelMeasurement, BlocksOfAnySizeGiveTheSameTrace)
{
    const host::AudioBuffer input = makeTone(2, 0.3, 44100.0);
    host::AudioBuffer output = input;
    for (auto& channel : output.channels)
        for (std::size_t i = 0; i < channel.size(); ++i)
            channel[i] *= 1.0 - static_cast<double>(i) / static_cast<double>(channel.size());
    host::LevelMeter whole(44100.0, 0.0);
    whole.add(input, output, input.frames());
    const host::LevelTrace expected = whole.finish();

    host::LevelMeter pieces(44100.0, 0.0);
    const std::size_t piece = 37;
    host::AudioBuffer in(2, piece, 44100.0);
    host::AudioBuffer out(2, piece, 44100.0);
    for (std::size_t start = 0; start < input.frames(); start += piece)
    {
        const std::size_t count = std::min(piece, input.frames() - start);
        for (int c = 0; c < 2; ++c)
            for (std::size_t i = 0; i < count; ++i)
            {
                in.channels[c][i] = input.channels[c][start + i];
                out.channels[c][i] = output.channels[c][start + i];
            }
        pieces.add(in, out, count);
    }
    const host::LevelTrace trace = pieces.finish();
    ASSERT_EQ(trace.size(), expected.size());
    EXPECT_EQ(trace.size(), 30u);
    for (std::size_t i = 0; i < trace.size(); ++i)
    {
        EXPECT_DOUBLE_EQ(trace.inputDb[i], expected.inputDb[i]) << i;
        EXPECT_DOUBLE_EQ(trace.outputDb[i], expected.outputDb[i]) << i;
    }
}

TEST(LevelMeasurement, SilenceHasNoReductionReading)
{
    const host::AudioBuffer silence(2, 4410, 44100.0);
    const auto summary = measure(silence, silence, 0.0);
    EXPECT_FALSE(summary.hasReduction);
    EXPECT_EQ(summary.averageReductionDb, 0.0);
}

TEST(HostCallbackAnswers, PinsFollowTheFileAndVersionIs2400)
{
    host::HostCallback callback;
    AEffect effect{};
    callback.attach(&effect);
    const struct
    {
        int channels;
        int pin;
        VstIntPtr direction; // 0 input, 1 output
        VstIntPtr answer;    // 0 means connected
    } cases[] = {
        {2, 0, 0, 0}, {2, 1, 0, 0}, {2, 0, 1, 0}, {2, 1, 1, 0}, {2, 2, 0, 1},
        {1, 0, 0, 0}, {1, 1, 0, 1}, {1, 0, 1, 0}, {1, 1, 1, 1},
    };
    for (const auto& c : cases)
    {
        callback.setChannelCount(c.channels);
        EXPECT_EQ(
            host::HostCallback::dispatch(&effect, audioMasterPinConnected, c.pin, c.direction, nullptr, 0.0f),
            c.answer)
            << c.channels << " channels, pin " << c.pin << " direction " << c.direction;
    }
    EXPECT_EQ(host::HostCallback::dispatch(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
    EXPECT_EQ(
        host::HostCallback::dispatch(&effect, audioMasterCanDo, 0, 0, const_cast<char*>("sizeWindow"), 0.0f),
        0);
    host::HostCallback::dispatch(&effect, audioMasterAutomate, 5, 0, nullptr, 0.25f);
    ASSERT_EQ(callback.automations().size(), 1u);
    EXPECT_EQ(callback.automations()[0].index, 5);
    EXPECT_EQ(callback.automations()[0].value, 0.25f);
}

} // namespace
