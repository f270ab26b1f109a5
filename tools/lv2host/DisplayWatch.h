#pragma once

#include <atomic>
#include <thread>

namespace lv2host
{
// Listens where an X client looks first for display :0 (the abstract socket
// "/tmp/.X11-unix/X0") and counts the clients that connect, closing each at
// once: shows whether a plug-in opens a display the process was not given.
// Not active when the name is taken (an X server runs as :0 here).
class DisplayWatch
{
public:
    DisplayWatch();
    ~DisplayWatch();
    DisplayWatch (const DisplayWatch&) = delete;
    DisplayWatch& operator= (const DisplayWatch&) = delete;

    bool isActive() const noexcept { return listener >= 0; }
    int connections() const noexcept { return accepted.load(); }

private:
    void run();

    int listener = -1;
    std::atomic<bool> stopping { false };
    std::atomic<int> accepted { 0 };
    std::thread thread;
};
} // namespace lv2host
