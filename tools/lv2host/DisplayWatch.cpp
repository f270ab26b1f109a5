#include "DisplayWatch.h"

#include <cstddef>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace lv2host
{
DisplayWatch::DisplayWatch()
{
    listener = socket (AF_UNIX, SOCK_STREAM, 0);
    if (listener < 0)
        return;

    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const char name[] = "/tmp/.X11-unix/X0";
    std::memcpy (address.sun_path + 1, name, sizeof (name) - 1); // abstract: leading zero byte
    const auto length = static_cast<socklen_t> (offsetof (sockaddr_un, sun_path) + 1 + sizeof (name) - 1);
    if (bind (listener, reinterpret_cast<const sockaddr*> (&address), length) != 0 || listen (listener, 8) != 0)
    {
        close (listener);
        listener = -1;
        return;
    }
    thread = std::thread ([this] { run(); });
}

DisplayWatch::~DisplayWatch()
{
    stopping = true;
    if (thread.joinable())
        thread.join();
    if (listener >= 0)
        close (listener);
}

void DisplayWatch::run()
{
    while (! stopping)
    {
        pollfd ready { listener, POLLIN, 0 };
        if (poll (&ready, 1, 20) <= 0)
            continue;
        const int client = accept (listener, nullptr, nullptr);
        if (client < 0)
            continue;
        ++accepted;
        close (client);
    }
}
} // namespace lv2host
