#pragma once

#include <juce_core/juce_core.h>

#include <vector>

// The entries of one folder (not of its sub-folders), of any kind, in the
// order the system gives them. Names that are not UTF-8 are left out: they can
// neither be shown nor be held by the framework's strings (its own directory
// iterator overruns its buffers on them). Each entry's path is the folder's
// path and its name, so a name like "~x" stays inside the folder.
class FolderListing
{
public:
    static std::vector<juce::File> entriesOf (const juce::File& folder);
};
