#include "AudioFile.h"

#include <sndfile.h>

#include <iostream>

namespace lv2host
{
bool AudioFile::read (const std::string& path)
{
    SF_INFO info {};
    SNDFILE* file = sf_open (path.c_str(), SFM_READ, &info);
    if (file == nullptr)
    {
        std::cerr << "vantrel-lv2host: cannot read " << path << ": " << sf_strerror (nullptr) << "\n";
        return false;
    }
    const auto count = static_cast<size_t> (info.frames);
    const auto width = static_cast<size_t> (info.channels);
    std::vector<float> interleaved (count * width);
    const auto got = static_cast<size_t> (sf_readf_float (file, interleaved.data(), info.frames));
    sf_close (file);

    sampleRate = info.samplerate;
    channels.assign (width, std::vector<float> (got));
    for (size_t frame = 0; frame < got; ++frame)
        for (size_t channel = 0; channel < width; ++channel)
            channels[channel][frame] = interleaved[frame * width + channel];
    return true;
}

bool AudioFile::write (const std::string& path) const
{
    SF_INFO info {};
    info.samplerate = sampleRate;
    info.channels = static_cast<int> (channels.size());
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open (path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
    {
        std::cerr << "vantrel-lv2host: cannot write " << path << ": " << sf_strerror (nullptr) << "\n";
        return false;
    }
    const size_t width = channels.size();
    std::vector<float> interleaved (frames() * width);
    for (size_t frame = 0; frame < frames(); ++frame)
        for (size_t channel = 0; channel < width; ++channel)
            interleaved[frame * width + channel] = channels[channel][frame];
    const auto written = sf_writef_float (file, interleaved.data(), static_cast<sf_count_t> (frames()));
    sf_close (file);
    if (written != static_cast<sf_count_t> (frames()))
    {
        std::cerr << "vantrel-lv2host: cannot write " << path << "\n";
        return false;
    }
    return true;
}
} // namespace lv2host
