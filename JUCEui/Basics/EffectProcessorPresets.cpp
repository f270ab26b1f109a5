// EffectProcessor: reading the factory and user preset lists, writing and
// deleting user preset files.
#include "Basics/EffectProcessor.h"

#include "BinaryData.h"
#include "Preset/BoundedXml.h"
#include "Preset/FolderListing.h"
#include "Preset/PresetFileName.h"
#include "Preset/RegularFileReader.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace
{
// Larger files are not presets; skip them rather than read them whole.
constexpr juce::int64 maxPresetFileBytes = 1 << 20;

// The folder, made with any missing folder above it; none when it cannot be.
juce::File ensureFolder (const juce::File& folder)
{
    // Another instance (or process) may create the folder, or one above it,
    // between our check and our create; that create then fails although the
    // folder is there, and gives up on the ones below it. Each lost race
    // leaves one more level in place, so one try per level reaches the
    // folder, while a real failure (no permission, a file in the way) fails
    // every time.
    int levels = 1;
    for (auto above = folder; above.getParentDirectory() != above; above = above.getParentDirectory())
        ++levels;

    for (int attempt = 0; attempt < levels; ++attempt)
        if (folder.isDirectory() || folder.createDirectory().wasOk())
            return folder;
    return folder.isDirectory() ? folder : juce::File();
}

juce::String noLongerThere (const Preset& preset)
{
    return "The preset " + preset.name + " is no longer in the user folder";
}

// The system's reason for the last failed call.
juce::String lastError()
{
    return juce::String (std::strerror (errno));
}

// The file's content on the disk, not only handed to the system: a crash
// after it replaces the old file must not leave a file without its content.
bool syncToDisk (const juce::File& file)
{
    const int descriptor = ::open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = ::fsync (descriptor) == 0;
    ::close (descriptor);
    return synced;
}
} // namespace

juce::File EffectProcessor::getUserPresetFolder() const
{
    return juce::File::getSpecialLocation (juce::File::userDocumentsDirectory)
        .getChildFile ("KARVON")
        .getChildFile ("KARVON Vantrel");
}

juce::ValueTree EffectProcessor::stateFromText (const juce::String& text) const
{
    const auto document = BoundedXml::parse (text);
    const auto* dict = document != nullptr ? PresetParser::findDict (*document) : nullptr;
    return dict != nullptr ? parser->valueTreeFromPreset (defaultState, *dict) : juce::ValueTree();
}

void EffectProcessor::readPreset (std::vector<std::unique_ptr<Preset>>& list, const juce::String& entryName,
                                  const juce::String& text, bool isUser, const juce::File& file)
{
    auto state = stateFromText (text);
    if (! state.isValid())
        return;
    const auto name = PresetFileName::upperCase (entryName.dropLastCharacters (static_cast<int> (presetExtension.size()) + 1));
    list.push_back (std::make_unique<Preset> (name, std::move (state), isUser, file));
}

juce::Result EffectProcessor::rereadUserPreset (Preset& preset)
{
    if (! preset.isUser)
        return juce::Result::ok();
    if (! preset.file.exists())
        return juce::Result::fail (noLongerThere (preset));
    const auto text = RegularFileReader::readText (preset.file, maxPresetFileBytes);
    auto state = text ? stateFromText (*text) : juce::ValueTree();
    if (! state.isValid())
        return juce::Result::fail ("The file of " + preset.name + " no longer holds a preset");
    preset.state = std::move (state);
    return juce::Result::ok();
}

void EffectProcessor::retrieveFactoryPresets()
{
    auto& factory = presetLists[factoryList];
    factory.clear();

    juce::MemoryInputStream archiveStream (BinaryData::Presets_zip, static_cast<size_t> (BinaryData::Presets_zipSize), false);
    juce::ZipFile archive (archiveStream);
    const auto extension = juce::String::fromUTF8 (presetExtension.c_str());

    for (int i = 0; i < archive.getNumEntries(); ++i)
    {
        const auto* entry = archive.getEntry (i);
        if (entry == nullptr || ! entry->filename.contains (extension))
            continue;
        std::unique_ptr<juce::InputStream> stream (archive.createStreamForEntry (i));
        if (stream == nullptr)
            continue;

        juce::MemoryBlock bytes;
        stream->readIntoMemoryBlock (bytes);
        const auto* data = static_cast<const char*> (bytes.getData());
        const auto length = data != nullptr ? strnlen (data, bytes.getSize()) : 0;
        readPreset (factory, entry->filename, juce::String::fromUTF8 (data, static_cast<int> (length)), false, {});
    }

    std::stable_sort (factory.begin(), factory.end(),
                      [] (const auto& a, const auto& b) { return Preset::comparePresets (a.get(), b.get()); });
    factory.insert (factory.begin(), std::make_unique<Preset> ("DEFAULT", defaultState, false));
}

void EffectProcessor::retrieveUserPresets()
{
    // By name and list: a factory preset stays current when the user list
    // now holds a preset of its name.
    const auto remembered = currentPreset != nullptr ? currentPreset->name : juce::String();
    const int rememberedList = currentPreset != nullptr && ! currentPreset->isUser ? factoryList : userList;
    currentPreset = nullptr;

    auto& user = presetLists[userList];
    user.clear();

    const auto maker = ensureFolder (getUserPresetFolder().getParentDirectory());
    const auto folder = maker != juce::File() ? ensureFolder (getUserPresetFolder()) : juce::File();
    if (folder != juce::File())
    {
        const auto extension = juce::String::fromUTF8 (presetExtension.c_str());
        for (const auto& file : FolderListing::entriesOf (folder))
        {
            if (PresetFileName::presetNameOf (file.getFileName(), extension).isEmpty())
                continue;
            if (const auto text = RegularFileReader::readText (file, maxPresetFileBytes))
                readPreset (user, file.getFileName(), *text, true, file);
        }
        std::stable_sort (user.begin(), user.end(),
                          [] (const auto& a, const auto& b) { return Preset::comparePresets (a.get(), b.get()); });
    }

    // The preset that was current stays current without re-applying its
    // values, so a reload (after saving or deleting) never discards edits.
    if (remembered.isNotEmpty())
        selectWithoutApplying (remembered, rememberedList);
}

//==============================================================================
// Writing and deleting user presets

juce::File EffectProcessor::userFileFor (const juce::String& name) const
{
    const auto fileName = PresetFileName::fromTyped (name);
    if (fileName.isEmpty())
        return {};

    const auto folder = getUserPresetFolder();
    if (ensureFolder (folder.getParentDirectory()) == juce::File() || ensureFolder (folder) == juce::File())
        return {};

    const auto file = folder.getChildFile (fileName + "." + juce::String::fromUTF8 (presetExtension.c_str()));
    return file.getParentDirectory() == folder ? file : juce::File();
}

juce::Result EffectProcessor::writeStateTo (const juce::File& target)
{
    const auto xml = parser->presetFromValueTree (parameterTree.copyState());

    // Write beside the target and rename over it only once the text is
    // complete and flushed: a crash leaves the old preset (or none), never half
    // of one. The temporary name does not carry the preset extension, so it is
    // never listed as a preset. It is this writer's own (process and count):
    // instances saving at the same moment would otherwise pick the same free
    // name, append to one file, and one would move the other's away.
    static std::atomic<int> writes { 0 };
    const auto writer = juce::String (static_cast<int> (getpid())) + "-" + juce::String (++writes);
    const auto temporary = target.getParentDirectory().getNonexistentChildFile (".incoming-preset-" + writer, ".tmp", false);
    const auto cannotWrite = "Cannot write to " + target.getParentDirectory().getFullPathName() + ": ";
    {
        juce::FileOutputStream out (temporary);
        if (! out.openedOk())
            return juce::Result::fail (cannotWrite + out.getStatus().getErrorMessage());
        xml->writeTo (out, {});
        out.flush();
        if (out.getStatus().failed())
        {
            const auto error = out.getStatus().getErrorMessage();
            temporary.deleteFile();
            return juce::Result::fail (cannotWrite + error);
        }
    }
    if (! syncToDisk (temporary))
    {
        const auto error = lastError();
        temporary.deleteFile();
        return juce::Result::fail (cannotWrite + error);
    }
    if (std::rename (temporary.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) != 0)
    {
        const auto error = lastError();
        temporary.deleteFile();
        return juce::Result::fail ("Cannot replace " + target.getFullPathName() + ": " + error);
    }
    return juce::Result::ok();
}

const Preset* EffectProcessor::findUserPreset (const juce::String& typedName) const
{
    if (PresetFileName::whyUnusable (typedName).isNotEmpty())
        return nullptr;
    const auto presetName = PresetFileName::upperCase (PresetFileName::fromTyped (typedName));
    for (const auto& preset : presetLists[userList])
        if (preset->name == presetName)
            return preset.get();
    return nullptr;
}

juce::Result EffectProcessor::writeUserPreset (const juce::String& name)
{
    if (const auto reason = PresetFileName::whyUnusable (name); reason.isNotEmpty())
        return juce::Result::fail (reason);
    auto target = userFileFor (name);
    if (target == juce::File())
        return juce::Result::fail ("Cannot create the user preset folder");

    // Names are compared upper case: an existing user preset of this name is
    // replaced through its own file rather than doubled by a differently cased
    // one (which, on a file system that ignores case, would be that file
    // anyway). Other files of the same name, made outside the editor, go once
    // the new content is in place: one name, one preset.
    const auto presetName = PresetFileName::upperCase (PresetFileName::fromTyped (name));
    std::vector<juce::File> sameName;
    for (const auto& preset : presetLists[userList])
        if (preset->name == presetName && preset->file.getParentDirectory() == target.getParentDirectory())
            sameName.push_back (preset->file);
    if (! sameName.empty() && std::find (sameName.begin(), sameName.end(), target) == sameName.end())
        target = sameName.front();

    const auto result = writeStateTo (target);
    if (result.failed())
        return result;
    for (const auto& file : sameName)
        if (file != target)
            file.deleteFile();

    retrieveUserPresets();
    selectWithoutApplying (presetName, userList);
    return result;
}

juce::Result EffectProcessor::overwritePreset (const Preset& preset)
{
    // A factory preset is saved as the user preset of its name, through that
    // preset's own file when there is one.
    if (! preset.isUser)
        return writeUserPreset (preset.name);

    // Copy what is needed: the reload below replaces the user list's presets.
    const auto target = preset.file != juce::File() ? preset.file : userFileFor (preset.name);
    if (target == juce::File())
        return juce::Result::fail ("Cannot create the user preset folder");
    const auto presetName = preset.name;

    const auto result = writeStateTo (target);
    if (result.failed())
        return result;

    retrieveUserPresets();
    selectWithoutApplying (presetName, userList);
    return result;
}

juce::Result EffectProcessor::deleteUserPreset (const Preset& preset)
{
    if (! preset.isUser)
        return juce::Result::fail ("A factory preset cannot be deleted");
    const auto file = preset.file != juce::File() ? preset.file : userFileFor (preset.name);
    if (! file.exists() && ! file.isSymbolicLink())
        return juce::Result::fail (noLongerThere (preset));
    if (! file.isAChildOf (getUserPresetFolder()))
        return juce::Result::fail ("The file of " + preset.name + " is outside the user folder");
    // Only the file (or link) goes, never a folder standing in its place.
    if (::unlink (file.getFullPathName().toRawUTF8()) != 0)
        return juce::Result::fail ("Cannot delete " + file.getFileName() + ": " + lastError());

    // The deleted preset's place stays the position: its successor now holds
    // that index, so the next preset is the one after it and the previous
    // one the one before it.
    const auto& user = presetLists[userList];
    const auto place = std::find_if (user.begin(), user.end(), [&] (const auto& p) { return p.get() == &preset; });
    const int position = static_cast<int> (place - user.begin());

    retrieveUserPresets();
    currentPreset = nullptr;
    currentPresetList = userList;
    currentPresetIndex = juce::jlimit (0, static_cast<int> (presetLists[userList].size()), position);
    return juce::Result::ok();
}
