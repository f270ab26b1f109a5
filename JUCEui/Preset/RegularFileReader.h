#pragma once

#include <juce_core/juce_core.h>

#include <optional>

// Reads a file of the user's folder as text only when it is a regular file no
// larger than a bound: a FIFO, a device or a socket named like a preset would
// otherwise block the reader (or never end), and a huge file is not a preset.
class RegularFileReader
{
public:
    // The file's text (UTF-8, or UTF-16 with a byte order mark), or nothing
    // when it is not a regular file, cannot be read, or holds more than
    // `maxBytes` bytes.
    static std::optional<juce::String> readText (const juce::File& file, juce::int64 maxBytes);

    // A file's bytes as text: UTF-16 with a byte order mark, else strict
    // UTF-8 (a UTF-8 byte order mark is dropped); nothing for other bytes.
    static std::optional<juce::String> textFromBytes (const void* data, std::size_t size);
};
