#include "host/AudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace host
{
namespace
{

struct SndfileCloser
{
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

constexpr sf_count_t chunkFrames = 8192;

std::string lowerExtension(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

// 0 when the extension names no type we write.
int formatFor(const std::string& path, bool wide)
{
    const std::string ext = lowerExtension(path);
    const int sampleType = wide ? SF_FORMAT_DOUBLE : SF_FORMAT_FLOAT;
    if (ext == "wav") return SF_FORMAT_WAV | sampleType;
    if (ext == "aif" || ext == "aiff") return SF_FORMAT_AIFF | sampleType;
    if (ext == "flac") return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    return 0;
}

void readFrames(SNDFILE* file, AudioBuffer& out)
{
    const int channelCount = out.channelCount();
    std::vector<double> interleaved(static_cast<std::size_t>(chunkFrames * channelCount));
    std::size_t position = 0;
    for (;;)
    {
        const sf_count_t got = sf_readf_double(file, interleaved.data(), chunkFrames);
        if (got <= 0) break;
        for (int c = 0; c < channelCount; ++c)
            out.channels[c].resize(position + static_cast<std::size_t>(got));
        for (sf_count_t f = 0; f < got; ++f)
            for (int c = 0; c < channelCount; ++c)
                out.channels[c][position + f] = interleaved[static_cast<std::size_t>(f * channelCount + c)];
        position += static_cast<std::size_t>(got);
    }
}

Status writeFrames(SNDFILE* file, const AudioBuffer& audio)
{
    const int channelCount = audio.channelCount();
    std::vector<double> interleaved(static_cast<std::size_t>(chunkFrames * channelCount));
    const std::size_t total = audio.frames();
    for (std::size_t start = 0; start < total; start += chunkFrames)
    {
        const std::size_t count = std::min<std::size_t>(chunkFrames, total - start);
        for (std::size_t f = 0; f < count; ++f)
            for (int c = 0; c < channelCount; ++c)
                interleaved[f * channelCount + c] = audio.channels[c][start + f];
        if (sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(count)) !=
            static_cast<sf_count_t>(count))
            return Status::failure(sf_strerror(file));
    }
    return {};
}

// Opens a fresh temporary file next to the target, so the final rename stays
// on one file system.
SndfileHandle openTemporary(const std::string& path, SF_INFO& info, std::string& temporaryPath,
                            Status& status)
{
    std::string pattern = path + ".partXXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
    {
        status = Status::failure("cannot create " + path + ": " + std::strerror(errno));
        return nullptr;
    }
    temporaryPath = pattern;
    // mkstemp makes the file private; give the result the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    SndfileHandle file(sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE));
    if (!file)
    {
        status = Status::failure("cannot write " + path + ": " + sf_strerror(nullptr));
        std::remove(temporaryPath.c_str());
    }
    return file;
}

} // namespace

Status AudioFile::read(const std::string& path, AudioBuffer& out)
{
    SF_INFO info{};
    SndfileHandle file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) return Status::failure("cannot read " + path + ": " + sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > 2)
        return Status::failure(path + " has " + std::to_string(info.channels) +
                               " channels; only mono and stereo files can be rendered");
    if (info.samplerate <= 0) return Status::failure(path + " has no valid sample rate");
    out = AudioBuffer(info.channels, 0, info.samplerate);
    readFrames(file.get(), out);
    return {};
}

Status AudioFile::checkWritable(const std::string& path)
{
    if (formatFor(path, false) == 0)
        return Status::failure("cannot write " + path + ": use a .wav, .aiff or .flac name");
    return {};
}

Status AudioFile::writeAtomically(const std::string& path, const AudioBuffer& audio, bool wide)
{
    SF_INFO info{};
    info.samplerate = static_cast<int>(audio.sampleRate);
    info.channels = audio.channelCount();
    info.format = formatFor(path, wide);
    if (info.format == 0)
        return Status::failure("cannot write " + path + ": use a .wav, .aiff or .flac name");
    if (!sf_format_check(&info))
        return Status::failure("cannot write " + path + ": format not supported for this audio");

    Status status;
    std::string temporaryPath;
    SndfileHandle file = openTemporary(path, info, temporaryPath, status);
    if (!file) return status;
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    status = writeFrames(file.get(), audio);
    const int closeResult = sf_close(file.release());
    if (status.ok() && closeResult != 0) status = Status::failure("cannot finish " + path);
    if (status.ok() && std::rename(temporaryPath.c_str(), path.c_str()) != 0)
        status = Status::failure("cannot move the result to " + path + ": " + std::strerror(errno));
    if (!status.ok()) std::remove(temporaryPath.c_str());
    return status;
}

} // namespace host
