#include "tests/demo/raw_http_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>

namespace qingwu::demo::testing {
namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> RawResponse::Header(std::string_view name) const {
    std::size_t start = 0;
    while (start < head.size()) {
        const std::size_t end = head.find("\r\n", start);
        const std::string_view line = std::string_view(head).substr(start, end - start);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && SameIgnoringCase(line.substr(0, colon), name)) {
            std::string_view value = line.substr(colon + 1);
            while (!value.empty() && value.front() == ' ') {
                value.remove_prefix(1);
            }
            return std::string(value);
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 2;
    }
    return std::nullopt;
}

RawConnection::RawConnection(std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        return;
    }
    timeval timeout{};
    timeout.tv_sec = 10;
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    // Small writes go out at once, so a test can split a request where it wants.
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

RawConnection::~RawConnection() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool RawConnection::Send(std::string_view bytes) {
    while (fd_ >= 0 && !bytes.empty()) {
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return fd_ >= 0;
}

bool RawConnection::ReadMore() {
    char buffer[16 * 1024];
    for (;;) {
        const ssize_t got = fd_ >= 0 ? ::recv(fd_, buffer, sizeof buffer, 0) : 0;
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        received_.append(buffer, static_cast<std::size_t>(got));
        return true;
    }
}

bool RawConnection::ReadUntil(std::string_view marker) {
    while (received_.find(marker) == std::string::npos) {
        if (!ReadMore()) {
            return false;
        }
    }
    return true;
}

const std::string& RawConnection::ReadAll() {
    while (ReadMore()) {
    }
    return received_;
}

RawResponse SendRaw(std::uint16_t port, std::string_view request) {
    RawConnection connection(port);
    if (!connection.Send(request)) {
        return {};
    }
    return ParseResponse(connection.ReadAll());
}

RawResponse ParseResponse(const std::string& bytes) {
    RawResponse response;
    const std::size_t lineEnd = bytes.find("\r\n");
    const std::size_t headEnd = bytes.find("\r\n\r\n");
    if (lineEnd == std::string::npos || headEnd == std::string::npos) {
        return response;
    }
    response.statusLine = bytes.substr(0, lineEnd);
    if (response.statusLine.size() >= 12 && response.statusLine.compare(0, 5, "HTTP/") == 0) {
        response.status = std::stoi(response.statusLine.substr(9, 3));
    }
    response.head = bytes.substr(lineEnd + 2, headEnd + 2 - (lineEnd + 2));
    response.body = bytes.substr(headEnd + 4);
    return response;
}

RawResponse Get(std::uint16_t port, std::string_view path) {
    std::string request = "GET ";
    request += path;
    request += " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    return SendRaw(port, request);
}

RawResponse PostForm(std::uint16_t port, std::string_view path, std::string_view body) {
    std::string request = "POST ";
    request += path;
    request += " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    request += "Content-Type: application/x-www-form-urlencoded\r\n";
    request += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    request += body;
    return SendRaw(port, request);
}

}  // namespace qingwu::demo::testing
