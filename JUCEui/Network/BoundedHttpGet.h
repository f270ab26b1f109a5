#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

// One plain HTTP GET in which every step (name lookup, connect, send,
// receive) ends by a deadline, or within a few milliseconds of `cancelled`
// becoming true. Blocking toolkit sockets cannot promise that: a connect to a
// host that drops the request waits for the system's own time-out (tens of
// seconds), and a name lookup cannot be stopped at all.
//
// Uses only the standard library and the system's sockets, so a thread
// running it holds nothing that a closing plug-in tears down.
class BoundedHttpGet
{
public:
    using Clock = std::chrono::steady_clock;

    struct Target
    {
        std::string host;        // name or numeric address
        std::string port = "80"; // service name or number
        std::string path = "/";  // path and query, already encoded
    };

    struct Reply
    {
        int status = 0;
        std::string body;
    };

    // The reply, or nothing when the exchange failed, ran past the deadline,
    // was cancelled, or the reply was not HTTP. A body longer than
    // `maximumBodyBytes` is cut there.
    static std::optional<Reply> fetch (const Target& target, Clock::time_point deadline,
                                       const std::atomic<bool>& cancelled, std::size_t maximumBodyBytes);
};
