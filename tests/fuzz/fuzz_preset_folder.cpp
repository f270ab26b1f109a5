// The user preset folder: the input is decoded into up to eight entries, the
// folder is read as the processor reads it, and every entry must be where and
// as it was. Entries are separated by a zero byte, each a name, a line feed
// and its content. A name's first byte picks the kind: '|' a FIFO, '>' a
// folder, '@' a link (to /dev/zero when the content is empty, else to the
// previous entry), anything else a regular file with that content. Names are
// any bytes but '/', UTF-8 or not.
#include "FuzzSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace
{
namespace fs = std::filesystem;

struct Entry
{
    char kind;
    std::string name;
    std::string content;
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

        Entry entry { 'f', std::string (reinterpret_cast<const char*> (data + start), lineEnd - start), {} };
        if (! entry.name.empty() && (entry.name[0] == '|' || entry.name[0] == '>' || entry.name[0] == '@'))
        {
            entry.kind = entry.name[0];
            entry.name.erase (0, 1);
        }
        for (auto& c : entry.name)
            if (c == '/')
                c = '_';
        if (lineEnd < end)
            entry.content.assign (reinterpret_cast<const char*> (data + lineEnd + 1), end - lineEnd - 1);
        if (! entry.name.empty() && entry.name != "." && entry.name != ".." && entry.name.size() < 250)
            entries.push_back (std::move (entry));
        start = end + 1;
    }
    return entries;
}

// Each entry's kind, and for regular files their bytes, by raw name.
std::map<std::string, std::string> snapshot (const fs::path& folder)
{
    std::map<std::string, std::string> result;
    std::error_code error;
    for (fs::directory_iterator it (folder, error); ! error && it != fs::directory_iterator(); it.increment (error))
    {
        struct stat info {};
        std::string what = "missing";
        if (::lstat (it->path().c_str(), &info) == 0)
        {
            what = "kind " + std::to_string (info.st_mode & S_IFMT);
            if (S_ISREG (info.st_mode))
            {
                std::ifstream in (it->path(), std::ios::binary);
                what += ":" + std::string (std::istreambuf_iterator<char> (in), {});
            }
        }
        result[it->path().filename().native()] = what;
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
    const auto folderFile = fuzzsupport::userFolder();
    const fs::path folder (folderFile.getFullPathName().toStdString());
    std::error_code ignored;
    fs::remove_all (folder, ignored);
    fs::create_directories (folder, ignored);

    std::string previous;
    for (const auto& entry : decode (data, size))
    {
        const auto path = folder / entry.name;
        if (::access (path.c_str(), F_OK) == 0 || fs::is_symlink (fs::symlink_status (path, ignored)))
            continue;
        switch (entry.kind)
        {
            case '|': ::mkfifo (path.c_str(), 0600); break;
            case '>': fs::create_directory (path, ignored); break;
            case '@': fs::create_symlink (entry.content.empty() || previous.empty() ? "/dev/zero" : previous, path, ignored); break;
            default: std::ofstream (path, std::ios::binary) << entry.content; break;
        }
        previous = entry.name;
    }
    const auto before = snapshot (folder);

    processor.retrieveUserPresets();

    for (auto* preset : processor.getPresetList (EffectProcessor::userList))
    {
        fuzzsupport::require (preset->name.trim().isNotEmpty(), "a user preset without a name");
        fuzzsupport::require (preset->name == preset->name.toUpperCase(), "a user preset name not in upper case");
        fuzzsupport::require (preset->file.getParentDirectory() == folderFile, "a user preset from outside the folder");
    }
    fuzzsupport::require (snapshot (folder) == before, "reading the folder changed it");
    fuzzsupport::requireKernelValuesInRange (processor);
    return 0;
}
