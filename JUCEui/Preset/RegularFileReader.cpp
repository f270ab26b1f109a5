#include "Preset/RegularFileReader.h"

#include "Preset/Utf8Text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<juce::String> RegularFileReader::readText (const juce::File& file, juce::int64 maxBytes)
{
    const auto path = file.getFullPathName();

    // Checked before opening, since opening some devices has effects, and again
    // on the open file, which is what is read whatever was swapped in between.
    // Opening without blocking: opening a FIFO for reading otherwise waits for
    // a writer.
    struct stat info {};
    if (::stat (path.toRawUTF8(), &info) != 0 || ! S_ISREG (info.st_mode) || info.st_size > maxBytes)
        return std::nullopt;

    const int descriptor = ::open (path.toRawUTF8(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;

    std::optional<juce::String> text;
    if (::fstat (descriptor, &info) == 0 && S_ISREG (info.st_mode) && info.st_size <= maxBytes)
    {
        // Read one byte past the bound, so a file that grew meanwhile is
        // refused rather than cut.
        juce::MemoryBlock bytes (static_cast<size_t> (maxBytes) + 1);
        size_t total = 0;
        bool failed = false;
        while (total < bytes.getSize())
        {
            const auto got = ::read (descriptor, static_cast<char*> (bytes.getData()) + total, bytes.getSize() - total);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                failed = true;
            if (got <= 0)
                break;
            total += static_cast<size_t> (got);
        }
        if (! failed && total <= static_cast<size_t> (maxBytes))
            text = textFromBytes (bytes.getData(), total);
    }
    ::close (descriptor);
    return text;
}

std::optional<juce::String> RegularFileReader::textFromBytes (const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*> (data);
    if (size >= 2 && (juce::CharPointer_UTF16::isByteOrderMarkBigEndian (bytes) || juce::CharPointer_UTF16::isByteOrderMarkLittleEndian (bytes)))
    {
        // Converted by the framework, then held to the same test.
        auto text = juce::String::createStringFromData (bytes, static_cast<int> (size));
        return Utf8Text::isValid (text) ? std::optional<juce::String> (text) : std::nullopt;
    }
    if (size >= 3 && juce::CharPointer_UTF8::isByteOrderMark (bytes))
    {
        bytes += 3;
        size -= 3;
    }
    if (! Utf8Text::isValid (bytes, size))
        return std::nullopt;
    return juce::String::fromUTF8 (bytes, static_cast<int> (size));
}
