#include "host/AudioFileReader.h"

#include <sndfile.h>

namespace host
{

std::unique_ptr<AudioFileReader> AudioFileReader::open(const std::string& path, Status& status)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
    {
        status = Status::failure("cannot read " + path + ": " + sf_strerror(nullptr));
        return nullptr;
    }
    std::unique_ptr<AudioFileReader> reader(new AudioFileReader);
    reader->file_ = file;
    reader->path_ = path;
    if (info.channels < 1 || info.channels > 2)
    {
        status = Status::failure(path + " has " + std::to_string(info.channels) +
                                 " channels; only mono and stereo files can be rendered");
        return nullptr;
    }
    if (info.samplerate <= 0)
    {
        status = Status::failure(path + " has no valid sample rate");
        return nullptr;
    }
    reader->channels_ = info.channels;
    reader->sampleRate_ = info.samplerate;
    reader->frames_ = info.frames > 0 ? static_cast<std::size_t>(info.frames) : 0;
    return reader;
}

AudioFileReader::~AudioFileReader()
{
    if (file_ != nullptr) sf_close(file_);
}

std::size_t AudioFileReader::read(AudioBuffer& block, std::size_t maxFrames)
{
    interleaved_.resize(maxFrames * static_cast<std::size_t>(channels_));
    const sf_count_t got = sf_readf_double(file_, interleaved_.data(), static_cast<sf_count_t>(maxFrames));
    if (got < static_cast<sf_count_t>(maxFrames) && sf_error(file_) != SF_ERR_NO_ERROR)
        status_ = Status::failure("cannot read " + path_ + ": " + sf_strerror(file_));
    if (got <= 0) return 0;
    const auto count = static_cast<std::size_t>(got);
    for (std::size_t f = 0; f < count; ++f)
        for (int c = 0; c < channels_; ++c)
            block.channels[c][f] = interleaved_[f * channels_ + c];
    return count;
}

} // namespace host
