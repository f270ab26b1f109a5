#pragma once

#include <string>
#include <sys/types.h>

// A private X server (Xvfb) for the life of the object, on a free display
// of its own, which DISPLAY then names. Windows and synthetic input never
// reach the user's own screen.
namespace windowtest
{
class PrivateXServer
{
public:
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer (const PrivateXServer&) = delete;
    PrivateXServer& operator= (const PrivateXServer&) = delete;

    bool isRunning() const noexcept { return display.size() > 0; }
    const std::string& displayName() const noexcept { return display; }

private:
    void start (int number);

    pid_t pid = -1;
    std::string display;
};
} // namespace windowtest
