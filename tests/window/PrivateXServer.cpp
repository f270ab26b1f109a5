#include "PrivateXServer.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace windowtest
{
PrivateXServer::PrivateXServer()
{
    // Not the lowest free display: a program that finds no DISPLAY (a host
    // test running headless) falls back to :0, and must not meet this server
    // there. Numbers in use make Xvfb exit at once; the next is tried.
    for (int attempt = 0; attempt < 40 && display.empty(); ++attempt)
        start (100 + static_cast<int> ((getpid() * 7 + attempt * 13) % 800));
    if (! display.empty())
        setenv ("DISPLAY", display.c_str(), 1);
}

void PrivateXServer::start (int number)
{
    int fds[2];
    if (pipe (fds) != 0)
        return;

    // Xvfb writes the number of its display to this descriptor once it
    // accepts connections.
    std::string name (1, ':');
    name += std::to_string (number);
    const std::string fd = std::to_string (fds[1]);
    const char* argv[] = { "Xvfb", name.c_str(), "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                           "-nolisten", "tcp", "-noreset", nullptr };
    const pid_t child = fork();
    if (child == 0)
    {
        // The server ends with the test program, however that ends.
        prctl (PR_SET_PDEATHSIG, SIGKILL);
        close (fds[0]);
        const int quiet = open ("/dev/null", O_WRONLY); // its start-up chatter
        if (quiet >= 0)
            dup2 (quiet, 2);
        execvp ("Xvfb", const_cast<char* const*> (argv));
        _exit (127);
    }
    close (fds[1]);
    if (child < 0)
    {
        close (fds[0]);
        return;
    }

    std::string reported;
    pollfd ready { fds[0], POLLIN, 0 };
    while (poll (&ready, 1, 20000) > 0)
    {
        char c = 0;
        if (read (fds[0], &c, 1) != 1 || c == '\n')
            break;
        reported += c;
    }
    close (fds[0]);
    if (reported.empty())
    {
        kill (child, SIGKILL);
        int status = 0;
        while (waitpid (child, &status, 0) < 0 && errno == EINTR)
        {
        }
        return;
    }
    pid = child;
    display.assign (1, ':');
    display += reported;
}

PrivateXServer::~PrivateXServer()
{
    if (pid <= 0)
        return;
    kill (pid, SIGTERM);
    int status = 0;
    while (waitpid (pid, &status, 0) < 0 && errno == EINTR)
    {
    }
}
} // namespace windowtest
