#include "host/AudioFileWriter.h"

#include "host/TemporaryFiles.h"

#include "fileio/ReplaceFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace host
{
namespace
{

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

} // namespace

Status AudioFileWriter::checkName(const std::string& path)
{
    if (formatFor(path, false) == 0)
        return Status::failure("cannot write " + path + ": use a .wav, .aiff or .flac name");
    return {};
}

std::unique_ptr<AudioFileWriter> AudioFileWriter::create(const std::string& path, int channels,
                                                         double sampleRate, bool wide, Status& status)
{
    SF_INFO info{};
    info.samplerate = static_cast<int>(sampleRate);
    info.channels = channels;
    info.format = formatFor(path, wide);
    if (status = checkName(path); !status.ok()) return nullptr;
    if (!sf_format_check(&info))
    {
        status = Status::failure("cannot write " + path + ": the format does not take this audio");
        return nullptr;
    }
    std::unique_ptr<AudioFileWriter> writer(new AudioFileWriter);
    writer->path = path;
    writer->replacement = std::make_unique<fileio::Replacement>(path);
    if (const int error = writer->replacement->error(); error != 0)
    {
        status = Status::failure("cannot create " + path + ": " + std::strerror(error));
        return nullptr;
    }
    writer->watchSlot = TemporaryFiles::watch(writer->replacement->temporaryPath());
    // The replacement keeps the descriptor: it still flushes and renames the file after libsndfile.
    writer->file = sf_open_fd(writer->replacement->descriptor(), SFM_WRITE, &info, SF_FALSE);
    if (writer->file == nullptr)
    {
        status = Status::failure("cannot write " + path + ": " + sf_strerror(nullptr));
        return nullptr;
    }
    sf_command(writer->file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return writer;
}

AudioFileWriter::~AudioFileWriter()
{
    discard();
}

void AudioFileWriter::discard()
{
    if (file != nullptr) sf_close(file);
    file = nullptr;
    replacement.reset(); // removes the temporary unless it was committed
    TemporaryFiles::forget(watchSlot);
    watchSlot = -1;
}

Status AudioFileWriter::write(const AudioBuffer& block, std::size_t frames)
{
    const auto channels = static_cast<std::size_t>(block.channelCount());
    interleaved.resize(frames * channels);
    for (std::size_t f = 0; f < frames; ++f)
        for (std::size_t c = 0; c < channels; ++c)
            interleaved[f * channels + c] = block.channels[c][f];
    const auto count = static_cast<sf_count_t>(frames);
    if (sf_writef_double(file, interleaved.data(), count) != count)
        return Status::failure("cannot write " + path + ": " + sf_strerror(file));
    return {};
}

Status AudioFileWriter::commit()
{
    const int closed = sf_close(file);
    file = nullptr;
    Status status;
    if (closed != 0)
        status = Status::failure("cannot finish " + path);
    else if (const int error = replacement->commit(); error != 0)
        status = Status::failure("cannot move the result to " + path + ": " + std::strerror(error));
    discard();
    return status;
}

} // namespace host
