#include "host/AudioFile.h"

#include "host/AudioFileReader.h"
#include "host/AudioFileWriter.h"

#include <algorithm>

namespace host
{
namespace
{
constexpr std::size_t chunkFrames = 8192;
}

Status AudioFile::read(const std::string& path, AudioBuffer& out)
{
    Status status;
    auto reader = AudioFileReader::open(path, status);
    if (!reader) return status;
    out = AudioBuffer(reader->channelCount(), 0, reader->sampleRate());
    AudioBuffer chunk(reader->channelCount(), chunkFrames, reader->sampleRate());
    while (const std::size_t got = reader->read(chunk, chunkFrames))
        for (int c = 0; c < out.channelCount(); ++c)
            out.channels[c].insert(out.channels[c].end(), chunk.channels[c].begin(),
                                   chunk.channels[c].begin() + static_cast<std::ptrdiff_t>(got));
    return reader->status();
}

Status AudioFile::writeAtomically(const std::string& path, const AudioBuffer& audio, bool wide)
{
    Status status;
    auto writer = AudioFileWriter::create(path, audio.channelCount(), audio.sampleRate, wide, status);
    if (!writer) return status;
    AudioBuffer chunk(audio.channelCount(), chunkFrames, audio.sampleRate);
    for (std::size_t start = 0; start < audio.frames(); start += chunkFrames)
    {
        const std::size_t count = std::min(chunkFrames, audio.frames() - start);
        for (int c = 0; c < audio.channelCount(); ++c)
            std::copy_n(audio.channels[c].begin() + static_cast<std::ptrdiff_t>(start), count,
                        chunk.channels[c].begin());
        if (status = writer->write(chunk, count); !status.ok()) return status;
    }
    return writer->commit();
}

} // namespace host
