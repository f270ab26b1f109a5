#pragma once

// A stand-in for the maker's version service: an HTTP server on 127.0.0.1 (a
// port the system picks) that answers every request with one fixed status
// and body, and remembers the request lines it saw. It lives only as long as
// the object; every wait in it is bounded.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace editortest
{
class VersionServiceStub
{
public:
    VersionServiceStub (int status, std::string body)
        : statusCode (status), replyBody (std::move (body))
    {
        listener = ::socket (AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
        address.sin_port = 0;
        if (listener < 0 || ::bind (listener, reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0
            || ::listen (listener, 8) != 0)
            return;
        socklen_t length = sizeof (address);
        ::getsockname (listener, reinterpret_cast<sockaddr*> (&address), &length);
        port = ntohs (address.sin_port);
        server = std::thread ([this] { serve(); });
    }

    ~VersionServiceStub()
    {
        stopping = true;
        if (server.joinable())
            server.join();
        if (listener >= 0)
            ::close (listener);
    }

    // "http://127.0.0.1:<port>/", the base address the plug-in adds its path to.
    std::string baseAddress() const { return "http://127.0.0.1:" + std::to_string (port) + "/"; }

    std::vector<std::string> requestLines() const
    {
        std::lock_guard<std::mutex> lock (mutex);
        return requests;
    }

private:
    void serve()
    {
        while (! stopping)
        {
            pollfd waiting { listener, POLLIN, 0 };
            if (::poll (&waiting, 1, 20) <= 0)
                continue;
            const int connection = ::accept (listener, nullptr, nullptr);
            if (connection < 0)
                continue;
            answer (connection);
            ::close (connection);
        }
    }

    void answer (int connection)
    {
        // Read the request head (bounded in size and time), then reply.
        std::string request;
        char buffer[1024];
        for (int attempts = 0; attempts < 100 && request.find ("\r\n\r\n") == std::string::npos && request.size() < 16384;
             ++attempts)
        {
            pollfd readable { connection, POLLIN, 0 };
            if (::poll (&readable, 1, 20) <= 0)
                continue;
            const auto received = ::recv (connection, buffer, sizeof (buffer), 0);
            if (received <= 0)
                break;
            request.append (buffer, static_cast<size_t> (received));
        }
        {
            std::lock_guard<std::mutex> lock (mutex);
            requests.push_back (request.substr (0, request.find ("\r\n")));
        }
        const std::string reply = "HTTP/1.1 " + std::to_string (statusCode) + (statusCode == 200 ? " OK" : " Not Found")
                                  + "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string (replyBody.size())
                                  + "\r\nConnection: close\r\n\r\n" + replyBody;
        ::send (connection, reply.data(), reply.size(), MSG_NOSIGNAL);
    }

    const int statusCode;
    const std::string replyBody;
    int listener = -1;
    int port = 0;
    std::atomic<bool> stopping { false };
    mutable std::mutex mutex;
    std::vector<std::string> requests;
    std::thread server;
};
// Listens on 127.0.0.1 and never accepts: a client's connection completes in
// the system's backlog and then hears nothing until the object goes.
class SilentService
{
public:
    SilentService()
    {
        listener = ::socket (AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
        if (listener < 0 || ::bind (listener, reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0
            || ::listen (listener, 8) != 0)
            return;
        socklen_t length = sizeof (address);
        ::getsockname (listener, reinterpret_cast<sockaddr*> (&address), &length);
        port = ntohs (address.sin_port);
    }
    ~SilentService()
    {
        if (listener >= 0)
            ::close (listener);
    }
    std::string baseAddress() const { return "http://127.0.0.1:" + std::to_string (port) + "/"; }

private:
    int listener = -1;
    int port = 0;
};
} // namespace editortest
