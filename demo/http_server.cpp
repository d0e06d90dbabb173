#include "demo/http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>

namespace qingwu::demo {
namespace {

// The number of connections being served, shared by the accept loop and the connection threads
// (which may outlive the loop).
using ConnectionCounter = std::shared_ptr<std::atomic<int>>;

// Counts a connection as active for as long as it lives.
class ConnectionSlot {
  public:
    explicit ConnectionSlot(ConnectionCounter counter)
        : counter_(std::move(counter)), count_(counter_->fetch_add(1) + 1) {}
    ~ConnectionSlot() { counter_->fetch_sub(1); }
    ConnectionSlot(const ConnectionSlot&) = delete;
    ConnectionSlot& operator=(const ConnectionSlot&) = delete;
    bool Allowed() const { return count_ <= kMaxConnections; }

  private:
    ConnectionCounter counter_;
    int count_;
};

std::string ErrnoText(int error) {
    return std::system_category().message(error);
}

bool SendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// Appends what the peer sends next; false on end of stream, error or time-out.
bool ReceiveMore(int fd, std::string& buffer) {
    char chunk[16 * 1024];
    for (;;) {
        const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got > 0) {
            buffer.append(chunk, static_cast<std::size_t>(got));
            return true;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return false;
    }
}

// Sends the response and ends the connection gracefully: closing a socket that still holds
// unread request bytes would reset the connection, and the client could lose the answer (a
// refused oversized request is exactly that case). So the sending side is shut first and what
// the client still sends is read and dropped, for a short while, until it hangs up.
void Respond(int fd, const HttpResponse& response, bool headOnly) {
    // A failed send means the client went away; there is nobody left to tell.
    if (!SendAll(fd, SerializeResponse(response, headOnly))) {
        return;
    }
    ::shutdown(fd, SHUT_WR);
    timeval linger{};
    linger.tv_sec = 2;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &linger, sizeof linger);
    char discard[16 * 1024];
    std::size_t dropped = 0;
    while (dropped < 4 * kMaxBodyBytes) {
        const ssize_t got = ::recv(fd, discard, sizeof discard, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        dropped += static_cast<std::size_t>(got);
    }
}

void ServeConnection(FileDescriptor client, const Site& site, ConnectionCounter counter) {
    const ConnectionSlot slot(std::move(counter));
    const int fd = client.Get();
    timeval timeout{};
    timeout.tv_sec = 10;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (!slot.Allowed()) {
        Respond(fd, ErrorResponse(503), false);
        return;
    }

    std::string received;
    std::size_t headEnd = std::string::npos;
    while ((headEnd = FindHeadEnd(received)) == std::string::npos) {
        if (received.size() > kMaxHeadBytes) {
            Respond(fd, ErrorResponse(431), false);
            return;
        }
        if (!ReceiveMore(fd, received)) {
            return;
        }
    }
    if (headEnd > kMaxHeadBytes) {
        Respond(fd, ErrorResponse(431), false);
        return;
    }

    HttpRequest request;
    std::size_t bodyLength = 0;
    switch (ParseRequestHead(std::string_view(received).substr(0, headEnd), request, bodyLength)) {
        case HeadStatus::kOk:
            break;
        case HeadStatus::kBadRequest:
            Respond(fd, ErrorResponse(400), false);
            return;
        case HeadStatus::kBodyTooLarge:
            Respond(fd, ErrorResponse(413), false);
            return;
        case HeadStatus::kNotImplemented:
            Respond(fd, ErrorResponse(501), false);
            return;
    }

    if (received.size() - headEnd < bodyLength) {
        const auto expect = request.Header("Expect");
        if (expect && (*expect == "100-continue" || *expect == "100-Continue")) {
            if (!SendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n")) {
                return;
            }
        }
        while (received.size() - headEnd < bodyLength) {
            if (!ReceiveMore(fd, received)) {
                return;
            }
        }
    }
    request.body = received.substr(headEnd, bodyLength);
    Respond(fd, site.Handle(request), request.method == "HEAD");
}

}  // namespace

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = other.Release();
    }
    return *this;
}

std::optional<LoopbackListener> ListenOnLoopback(std::uint16_t port, std::string& error) {
    FileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.Valid()) {
        error = "socket: " + ErrnoText(errno);
        return std::nullopt;
    }
    const int on = 1;
    ::setsockopt(socket.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = "cannot bind 127.0.0.1:" + std::to_string(port) + ": " + ErrnoText(errno);
        return std::nullopt;
    }
    if (::listen(socket.Get(), SOMAXCONN) != 0) {
        error = "listen: " + ErrnoText(errno);
        return std::nullopt;
    }
    socklen_t length = sizeof address;
    if (::getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = "getsockname: " + ErrnoText(errno);
        return std::nullopt;
    }
    LoopbackListener listener;
    listener.socket = std::move(socket);
    listener.port = ntohs(address.sin_port);
    return listener;
}

void ServeForever(const LoopbackListener& listener, const Site& site) {
    const auto counter = std::make_shared<std::atomic<int>>(0);
    for (;;) {
        FileDescriptor client(::accept4(listener.socket.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!client.Valid()) {
            switch (errno) {
                case EINTR:
                case ECONNABORTED:
                case EPROTO:
                    continue;
                case EMFILE:
                case ENFILE:
                case ENOBUFS:
                case ENOMEM:
                    // Out of descriptors or memory: give running connections a moment to end.
                    ::poll(nullptr, 0, 50);
                    continue;
                default:
                    return;
            }
        }
        try {
            std::thread(ServeConnection, std::move(client), std::cref(site), counter).detach();
        } catch (const std::system_error&) {
            // No thread could be started; the client is closed and may try again.
        }
    }
}

}  // namespace qingwu::demo
