#pragma once

#include <string>
#include <vector>

namespace lv2host
{
// A whole audio file in memory, one vector per channel, read with libsndfile
// (WAV, AIFF, FLAC...) and written as 32-bit float WAV.
class AudioFile
{
public:
    std::vector<std::vector<float>> channels;
    int sampleRate = 0;

    size_t frames() const noexcept { return channels.empty() ? 0 : channels.front().size(); }

    // False, with a message on stderr, when the file cannot be read or written.
    bool read (const std::string& path);
    bool write (const std::string& path) const;
};
} // namespace lv2host
