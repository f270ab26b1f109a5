#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>

// Outside bytes become the framework's strings only when they are strict
// UTF-8. The framework steps over a multi-byte character without looking at
// what it skips, and sizes its copies by the characters it decodes: bytes that
// are not UTF-8 (a Latin-1 file name, a damaged file, an overlong sequence)
// make it read and write past the end of its buffers.
namespace Utf8Text
{
// Strict UTF-8 (no overlong forms, surrogates or code points above U+10FFFF)
// without zero bytes.
bool isValid (const char* bytes, std::size_t size) noexcept;

// For a string made from outside bytes before it was tested.
bool isValid (const juce::String& text) noexcept;
} // namespace Utf8Text
