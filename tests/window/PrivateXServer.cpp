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
    int fds[2];
    if (pipe (fds) != 0)
        return;

    // Xvfb writes the number of the display it chose to this descriptor once
    // it accepts connections.
    const std::string fd = std::to_string (fds[1]);
    const char* argv[] = { "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                           "-noreset", nullptr };
    pid = fork();
    if (pid == 0)
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
    if (pid < 0)
    {
        close (fds[0]);
        return;
    }

    std::string number;
    pollfd ready { fds[0], POLLIN, 0 };
    while (poll (&ready, 1, 20000) > 0)
    {
        char c = 0;
        if (read (fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close (fds[0]);
    if (number.empty())
        return;
    display = ":" + number;
    setenv ("DISPLAY", display.c_str(), 1);
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
