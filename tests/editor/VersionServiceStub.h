#pragma once

// Stand-ins for the maker's version service, each on 127.0.0.1 at a port the
// system picks: an HTTP server that answers every request with one fixed
// status and body (at once, byte by byte, or never), one whose connections
// the system takes but nobody reads, and one whose queue is full so that a
// connection never completes. Each lives only as long as the object; every
// wait in them is bounded.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace editortest
{
// A socket listening on 127.0.0.1 at a port the system picks, with a queue of
// `backlog`; -1 when the system refuses. `port` receives the port.
inline int listenOnLoopback (int backlog, int& port)
{
    const int listener = ::socket (AF_INET, SOCK_STREAM, 0);
    if (listener < 0)
        return -1;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
    socklen_t length = sizeof (address);
    if (::bind (listener, reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0 || ::listen (listener, backlog) != 0
        || ::getsockname (listener, reinterpret_cast<sockaddr*> (&address), &length) != 0)
    {
        ::close (listener);
        return -1;
    }
    port = ntohs (address.sin_port);
    return listener;
}

inline std::string loopbackAddress (int port)
{
    return "http://127.0.0.1:" + std::to_string (port) + "/";
}

class VersionServiceStub
{
public:
    // How the reply goes out: `byteInterval` 0 sends it at once, otherwise
    // one byte per interval; `answers` false reads the request and then keeps
    // the connection open without a word; `closes` false keeps it open after
    // a reply sent at once.
    VersionServiceStub (int status, std::string body, std::chrono::milliseconds byteInterval = {}, bool answers = true,
                        bool closes = true)
        : statusCode (status), replyBody (std::move (body)), interval (byteInterval), answering (answers), closing (closes)
    {
        listener = listenOnLoopback (8, port);
        if (listener >= 0)
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
    std::string baseAddress() const { return loopbackAddress (port); }

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
        if (answering && interval.count() == 0)
            ::send (connection, reply.data(), reply.size(), MSG_NOSIGNAL);
        if (! answering || (interval.count() == 0 && ! closing))
        {
            while (! stopping)
                std::this_thread::sleep_for (std::chrono::milliseconds (5));
            return;
        }
        if (interval.count() == 0)
            return;
        for (std::size_t i = 0; i < reply.size() && ! stopping; ++i)
        {
            ::send (connection, reply.data() + i, 1, MSG_NOSIGNAL);
            for (auto waited = std::chrono::milliseconds (0); waited < interval && ! stopping; waited += std::chrono::milliseconds (5))
                std::this_thread::sleep_for (std::chrono::milliseconds (5));
        }
    }

    const int statusCode;
    const std::string replyBody;
    const std::chrono::milliseconds interval;
    const bool answering;
    const bool closing;
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
        listener = listenOnLoopback (8, port);
    }
    ~SilentService()
    {
        if (listener >= 0)
            ::close (listener);
    }
    std::string baseAddress() const { return loopbackAddress (port); }

private:
    int listener = -1;
    int port = 0;
};

// Listens on 127.0.0.1 with a queue that is already full: the system drops a
// new client's connection request, and the client's connect waits for the
// system's own retries (minutes) unless it gives up by itself.
class FullBacklogService
{
public:
    FullBacklogService()
    {
        listener = listenOnLoopback (0, port);
        if (listener < 0)
            return;
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
        address.sin_port = htons (static_cast<uint16_t> (port));
        // Fill the queue: connections that complete and are never accepted,
        // until one no longer completes within 100 ms.
        for (int i = 0; i < 16; ++i)
        {
            const int client = ::socket (AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            if (client < 0)
                break;
            clients.push_back (client);
            ::connect (client, reinterpret_cast<sockaddr*> (&address), sizeof (address));
            pollfd writable { client, POLLOUT, 0 };
            if (::poll (&writable, 1, 100) == 0)
            {
                full = true;
                break;
            }
        }
    }
    ~FullBacklogService()
    {
        for (const int client : clients)
            ::close (client);
        if (listener >= 0)
            ::close (listener);
    }
    // False when the queue could not be filled (the test cannot run).
    bool isFull() const { return full; }
    std::string baseAddress() const { return loopbackAddress (port); }

private:
    int listener = -1;
    int port = 0;
    bool full = false;
    std::vector<int> clients;
};
} // namespace editortest
