#pragma once

#include <functional>
#include <string>

// Makes another instance win the race for a folder, every time: while armed,
// the next mkdir of the given path first runs the competitor (by default it
// creates that folder, as another instance would between the caller's
// existence check and its create), then the caller's own mkdir, which finds
// the folder there and fails. Applies to every mkdir of the test program, so
// to JUCE's too; other paths pass straight through.
namespace plugintest
{
class MkdirRace
{
public:
    explicit MkdirRace (const std::string& path, std::function<void()> competitor = {});
    ~MkdirRace();
    MkdirRace (const MkdirRace&) = delete;
    MkdirRace& operator= (const MkdirRace&) = delete;

    // How often the competitor ran: 1 once the race was lost.
    int racesStaged() const noexcept;
};
} // namespace plugintest
