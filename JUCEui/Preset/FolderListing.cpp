#include "Preset/FolderListing.h"

#include "Preset/Utf8Text.h"

#include <filesystem>

std::vector<juce::File> FolderListing::entriesOf (const juce::File& folder)
{
    std::vector<juce::File> entries;
    const auto prefix = folder.getFullPathName() + juce::File::getSeparatorString();
    std::error_code error;
    std::filesystem::directory_iterator iterator (folder.getFullPathName().toStdString(), error);
    for (; ! error && iterator != std::filesystem::directory_iterator(); iterator.increment (error))
    {
        const auto name = iterator->path().filename().native();
        if (Utf8Text::isValid (name.data(), name.size()))
            entries.emplace_back (prefix + juce::String::fromUTF8 (name.data(), static_cast<int> (name.size())));
    }
    return entries;
}
