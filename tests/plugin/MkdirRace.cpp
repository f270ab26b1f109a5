#include "MkdirRace.h"

#include <atomic>
#include <dlfcn.h>
#include <mutex>
#include <sys/stat.h>

namespace
{
std::mutex lock;
std::string racedPath;
std::function<void()> competitorAction;
bool armed = false;
std::atomic<int> staged { 0 };

int realMkdir (const char* path, mode_t mode)
{
    using Mkdir = int (*) (const char*, mode_t);
    static const auto next = reinterpret_cast<Mkdir> (dlsym (RTLD_NEXT, "mkdir"));
    return next (path, mode);
}

// The competitor's turn, if this is the armed path. Disarmed first, so that
// the competitor's own mkdir calls (and later ones) pass through.
void competeFor (const char* path)
{
    std::function<void()> competitor;
    {
        const std::lock_guard<std::mutex> held (lock);
        if (! armed || path == nullptr || racedPath != path)
            return;
        armed = false;
        competitor = competitorAction;
    }
    if (competitor)
        competitor();
    else
        realMkdir (path, 0777);
    ++staged;
}
} // namespace

extern "C" int mkdir (const char* path, mode_t mode)
{
    competeFor (path);
    return realMkdir (path, mode);
}

namespace plugintest
{
MkdirRace::MkdirRace (const std::string& path, std::function<void()> competitor)
{
    const std::lock_guard<std::mutex> held (lock);
    racedPath = path;
    competitorAction = std::move (competitor);
    armed = true;
    staged = 0;
}

MkdirRace::~MkdirRace()
{
    const std::lock_guard<std::mutex> held (lock);
    armed = false;
    competitorAction = nullptr;
}

int MkdirRace::racesStaged() const noexcept
{
    return staged.load();
}
} // namespace plugintest
