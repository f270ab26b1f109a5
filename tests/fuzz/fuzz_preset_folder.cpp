// The user preset folder: the input is decoded into up to eight entries, the
// folder is read as the processor reads it, and every entry must be where and
// as it was. Entries are separated by a zero byte, each "name" then a line
// feed then its content. A name's first character picks the kind: '|' a FIFO,
// '>' a folder, '@' a link (to /dev/zero when the content is empty, else to
// the previous entry), anything else a regular file with that content.
#include "FuzzSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <map>

namespace
{
struct Entry
{
    char kind;
    juce::String name;
    juce::MemoryBlock content;
};

std::vector<Entry> decode (const std::uint8_t* data, std::size_t size)
{
    std::vector<Entry> entries;
    std::size_t start = 0;
    while (start <= size && entries.size() < 8)
    {
        std::size_t end = start;
        while (end < size && data[end] != 0)
            ++end;
        std::size_t lineEnd = start;
        while (lineEnd < end && data[lineEnd] != '\n')
            ++lineEnd;

        Entry entry { 'f', {}, {} };
        std::string name (reinterpret_cast<const char*> (data + start), lineEnd - start);
        if (! name.empty() && (name[0] == '|' || name[0] == '>' || name[0] == '@'))
        {
            entry.kind = name[0];
            name.erase (0, 1);
        }
        // A name is one path component: separators become '_'.
        for (auto& c : name)
            if (c == '/')
                c = '_';
        entry.name = juce::String::fromUTF8 (name.data(), static_cast<int> (name.size()));
        if (lineEnd < end)
            entry.content.append (data + lineEnd + 1, end - lineEnd - 1);
        if (entry.name.isNotEmpty() && entry.name != "." && entry.name != ".." && name.size() < 250)
            entries.push_back (std::move (entry));
        start = end + 1;
    }
    return entries;
}

// What each entry of the folder is, for regular files their bytes.
std::map<juce::String, juce::String> snapshot (const juce::File& folder)
{
    std::map<juce::String, juce::String> result;
    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
    {
        const auto path = entry.getFile().getFullPathName();
        struct stat info {};
        std::string what = "missing";
        if (::lstat (path.toRawUTF8(), &info) == 0)
        {
            if (S_ISREG (info.st_mode))
            {
                juce::MemoryBlock bytes;
                entry.getFile().loadFileAsData (bytes);
                what = "file:" + bytes.toBase64Encoding().toStdString();
            }
            else
            {
                what = "kind:" + std::to_string (info.st_mode & S_IFMT);
            }
        }
        result[entry.getFile().getFileName()] = what;
    }
    return result;
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fuzzsupport::processor();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto& processor = fuzzsupport::processor();
    const auto folder = fuzzsupport::userFolder();
    folder.deleteRecursively();
    folder.createDirectory();

    juce::String previous;
    for (const auto& entry : decode (data, size))
    {
        const auto file = folder.getChildFile (entry.name);
        const auto path = file.getFullPathName();
        if (file.exists() || ::access (path.toRawUTF8(), F_OK) == 0)
            continue;
        switch (entry.kind)
        {
            case '|': ::mkfifo (path.toRawUTF8(), 0600); break;
            case '>': file.createDirectory(); break;
            case '@': ::symlink (entry.content.isEmpty() || previous.isEmpty() ? "/dev/zero" : previous.toRawUTF8(), path.toRawUTF8()); break;
            default: file.replaceWithData (entry.content.getData(), entry.content.getSize()); break;
        }
        previous = entry.name;
    }
    const auto before = snapshot (folder);

    processor.retrieveUserPresets();

    for (auto* preset : processor.getPresetList (EffectProcessor::userList))
    {
        fuzzsupport::require (preset->name.trim().isNotEmpty(), "a user preset without a name");
        fuzzsupport::require (preset->name == preset->name.toUpperCase(), "a user preset name not in upper case");
        fuzzsupport::require (preset->file.getParentDirectory() == folder, "a user preset from outside the folder");
    }
    fuzzsupport::require (snapshot (folder) == before, "reading the folder changed it");
    fuzzsupport::requireKernelValuesInRange (processor);
    return 0;
}
