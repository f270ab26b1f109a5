#include "Network/BoundedHttpGet.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
using Clock = BoundedHttpGet::Clock;

// Waits are cut into slices this long so that a cancellation is seen quickly.
constexpr auto kSlice = std::chrono::milliseconds (10);
// The status line and headers of a reply the service sends are short.
constexpr std::size_t kMaximumHeadBytes = 16384;

bool expired (Clock::time_point deadline, const std::atomic<bool>& cancelled)
{
    return cancelled.load (std::memory_order_acquire) || Clock::now() >= deadline;
}

int sliceMs (Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds> (deadline - Clock::now());
    return static_cast<int> (std::max<std::chrono::milliseconds::rep> (0, std::min (left, kSlice).count()));
}

struct FreeAddresses
{
    void operator() (addrinfo* list) const noexcept { ::freeaddrinfo (list); }
};
using Addresses = std::unique_ptr<addrinfo, FreeAddresses>;

// A name lookup the system runs on its own thread. If it cannot be cancelled
// when we stop waiting, the request is left to finish into memory it owns
// (a few hundred bytes, never freed): the system's thread runs only its own
// code, so nothing of ours has to stay loaded for it.
struct PendingLookup
{
    std::string host;
    std::string port;
    addrinfo hints {};
    gaicb request {};
};

Addresses resolve (const BoundedHttpGet::Target& target, Clock::time_point deadline, const std::atomic<bool>& cancelled)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;

    // Numeric addresses need no lookup.
    addrinfo numericHints = hints;
    numericHints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* numeric = nullptr;
    if (::getaddrinfo (target.host.c_str(), target.port.c_str(), &numericHints, &numeric) == 0)
        return Addresses (numeric);

    auto lookup = std::make_unique<PendingLookup>();
    lookup->host = target.host;
    lookup->port = target.port;
    lookup->hints = hints;
    lookup->request.ar_name = lookup->host.c_str();
    lookup->request.ar_service = lookup->port.c_str();
    lookup->request.ar_request = &lookup->hints;
    gaicb* list[] = { &lookup->request };
    if (::getaddrinfo_a (GAI_NOWAIT, list, 1, nullptr) != 0)
        return nullptr;

    while (::gai_error (&lookup->request) == EAI_INPROGRESS)
    {
        if (expired (deadline, cancelled))
        {
            if (::gai_cancel (&lookup->request) != EAI_CANCELED && ::gai_error (&lookup->request) == EAI_INPROGRESS)
                lookup.release(); // still in the system's hands: see PendingLookup
            else if (lookup->request.ar_result != nullptr)
                ::freeaddrinfo (lookup->request.ar_result);
            return nullptr;
        }
        const auto ms = sliceMs (deadline);
        const timespec wait { 0, static_cast<long> (ms) * 1000000L };
        const gaicb* const waiting[] = { &lookup->request };
        ::gai_suspend (waiting, 1, &wait);
    }
    if (::gai_error (&lookup->request) != 0)
        return nullptr;
    return Addresses (lookup->request.ar_result);
}

class Socket
{
public:
    explicit Socket (int descriptor) noexcept : fd (descriptor) {}
    ~Socket()
    {
        if (fd >= 0)
            ::close (fd);
    }
    Socket (const Socket&) = delete;
    Socket& operator= (const Socket&) = delete;

    int get() const noexcept { return fd; }

private:
    int fd;
};

// Waits for `events` on `fd`; false at the deadline, on cancellation or on an error.
bool waitFor (int fd, short events, Clock::time_point deadline, const std::atomic<bool>& cancelled)
{
    while (! expired (deadline, cancelled))
    {
        pollfd waiting { fd, events, 0 };
        const int ready = ::poll (&waiting, 1, sliceMs (deadline));
        if (ready > 0)
            return (waiting.revents & (events | POLLHUP | POLLERR)) != 0;
        if (ready < 0 && errno != EINTR)
            return false;
    }
    return false;
}

std::unique_ptr<Socket> connectTo (const addrinfo& address, Clock::time_point deadline, const std::atomic<bool>& cancelled)
{
    auto socket = std::make_unique<Socket> (::socket (address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                                      address.ai_protocol));
    if (socket->get() < 0)
        return nullptr;
    if (::connect (socket->get(), address.ai_addr, address.ai_addrlen) == 0)
        return socket;
    if (errno != EINPROGRESS || ! waitFor (socket->get(), POLLOUT, deadline, cancelled))
        return nullptr;
    int error = 0;
    socklen_t length = sizeof (error);
    if (::getsockopt (socket->get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
        return nullptr;
    return socket;
}

bool sendAll (int fd, const std::string& data, Clock::time_point deadline, const std::atomic<bool>& cancelled)
{
    std::size_t sent = 0;
    while (sent < data.size())
    {
        if (! waitFor (fd, POLLOUT, deadline, cancelled))
            return false;
        const auto written = ::send (fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (written > 0)
            sent += static_cast<std::size_t> (written);
    }
    return true;
}

// The value of header `name` (lower case) in `head`, or empty.
std::string headerValue (const std::string& head, const std::string& name)
{
    std::size_t lineStart = head.find ("\r\n");
    while (lineStart != std::string::npos && lineStart + 2 < head.size())
    {
        lineStart += 2;
        const auto lineEnd = head.find ("\r\n", lineStart);
        const auto line = head.substr (lineStart, lineEnd == std::string::npos ? std::string::npos : lineEnd - lineStart);
        const auto colon = line.find (':');
        if (colon != std::string::npos && colon == name.size())
        {
            bool same = true;
            for (std::size_t i = 0; i < colon && same; ++i)
                same = static_cast<char> (std::tolower (static_cast<unsigned char> (line[i]))) == name[i];
            if (same)
            {
                const auto first = line.find_first_not_of (" \t", colon + 1);
                return first == std::string::npos ? std::string() : line.substr (first);
            }
        }
        lineStart = lineEnd;
    }
    return {};
}

// "HTTP/1.x NNN ..." gives NNN; anything else 0.
int statusOf (const std::string& head)
{
    if (head.size() < 12 || head.compare (0, 7, "HTTP/1.") != 0 || head[8] != ' ')
        return 0;
    int status = 0;
    for (std::size_t i = 9; i < 12; ++i)
    {
        if (head[i] < '0' || head[i] > '9')
            return 0;
        status = status * 10 + (head[i] - '0');
    }
    return status;
}
} // namespace

std::optional<BoundedHttpGet::Reply> BoundedHttpGet::fetch (const Target& target, Clock::time_point deadline,
                                                            const std::atomic<bool>& cancelled, std::size_t maximumBodyBytes)
{
    const auto addresses = resolve (target, deadline, cancelled);
    std::unique_ptr<Socket> socket;
    for (const addrinfo* a = addresses.get(); a != nullptr && socket == nullptr && ! expired (deadline, cancelled); a = a->ai_next)
        socket = connectTo (*a, deadline, cancelled);
    if (socket == nullptr)
        return std::nullopt;

    // HTTP/1.0: the reply comes whole (never in chunks) and the server closes
    // the connection after it.
    const std::string hostField = target.port == "80" ? target.host : target.host + ":" + target.port;
    const std::string request = "GET " + target.path + " HTTP/1.0\r\nHost: " + hostField
                                + "\r\nAccept: text/plain\r\nConnection: close\r\n\r\n";
    if (! sendAll (socket->get(), request, deadline, cancelled))
        return std::nullopt;

    std::string received;
    std::size_t headEnd = std::string::npos;
    std::size_t wanted = kMaximumHeadBytes + maximumBodyBytes;
    char buffer[4096];
    while (received.size() < wanted)
    {
        if (! waitFor (socket->get(), POLLIN, deadline, cancelled))
            return std::nullopt;
        const auto count = ::recv (socket->get(), buffer, std::min (sizeof (buffer), wanted - received.size()), 0);
        if (count == 0)
            break; // the server closed: the reply is complete
        if (count < 0)
        {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            return std::nullopt;
        }
        received.append (buffer, static_cast<std::size_t> (count));
        if (headEnd == std::string::npos)
        {
            headEnd = received.find ("\r\n\r\n");
            if (headEnd == std::string::npos && received.size() >= kMaximumHeadBytes)
                return std::nullopt;
            if (headEnd != std::string::npos)
            {
                wanted = headEnd + 4 + maximumBodyBytes;
                // A stated length ends the reply without waiting for the close.
                const auto length = headerValue (received.substr (0, headEnd + 2), "content-length");
                char* end = nullptr;
                const auto stated = std::strtoull (length.c_str(), &end, 10);
                if (! length.empty() && end != nullptr && *end == '\0' && stated < maximumBodyBytes)
                    wanted = headEnd + 4 + static_cast<std::size_t> (stated);
            }
        }
    }
    if (headEnd == std::string::npos)
        return std::nullopt;

    Reply reply;
    reply.status = statusOf (received);
    if (reply.status == 0)
        return std::nullopt;
    reply.body = received.substr (headEnd + 4, maximumBodyBytes);
    return reply;
}
