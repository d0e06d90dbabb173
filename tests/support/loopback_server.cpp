#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>

namespace qingwu::test {
namespace {

using Clock = std::chrono::steady_clock;

// Every blocking wait is cut into slices of this length so that a stop is seen quickly.
constexpr int kSliceMs = 20;

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

std::string_view ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 307:
            return "Temporary Redirect";
        case 308:
            return "Permanent Redirect";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

std::string StatusLine(int status) {
    return "HTTP/1.1 " + std::to_string(status) + " " + std::string(ReasonPhrase(status)) + "\r\n";
}

std::size_t ParseContentLength(std::string_view value) {
    std::size_t length = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') {
            break;
        }
        if (length > (std::size_t{1} << 40)) {
            break;  // absurd; stop growing, the body wait ends the request
        }
        length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    return length;
}

// Reads what is there within the deadline (none: until the server stops). 1: bytes read; 0: the
// peer closed or the socket failed; -1: deadline passed or the server stops.
int ReadSome(int fd, std::string& buffer, const std::atomic<bool>& stop,
             std::optional<Clock::time_point> deadline) {
    while (!stop.load()) {
        if (deadline && Clock::now() >= *deadline) {
            return -1;
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, kSliceMs);
        if (ready < 0 && errno != EINTR) {
            return 0;
        }
        if (ready <= 0) {
            continue;
        }
        char chunk[16384];
        const ssize_t got = recv(fd, chunk, sizeof chunk, 0);
        if (got > 0) {
            buffer.append(chunk, static_cast<std::size_t>(got));
            return 1;
        }
        if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
            return 0;
        }
    }
    return -1;
}

// Sends all bytes; false when the peer went away or the server stops.
bool SendAll(int fd, std::string_view bytes, const std::atomic<bool>& stop,
             std::atomic<std::size_t>& sentCounter) {
    while (!bytes.empty()) {
        if (stop.load()) {
            return false;
        }
        pollfd p{fd, POLLOUT, 0};
        const int ready = poll(&p, 1, kSliceMs);
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready <= 0) {
            continue;
        }
        const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
        sentCounter += static_cast<std::size_t>(sent);
    }
    return true;
}

bool SendRepeatedBytes(int fd, std::string_view pattern, std::size_t total,
                       const std::atomic<bool>& stop, std::atomic<std::size_t>& sentCounter) {
    if (pattern.empty()) {
        return true;
    }
    // A chunk holds whole repetitions, so every chunk starts at the pattern's first byte.
    const std::size_t repetitions = std::max<std::size_t>(1, 65536 / pattern.size());
    std::string chunk;
    chunk.reserve(repetitions * pattern.size());
    for (std::size_t i = 0; i < repetitions; ++i) {
        chunk += pattern;
    }
    while (total > 0) {
        const std::size_t n = std::min(total, chunk.size());
        if (!SendAll(fd, std::string_view(chunk).substr(0, n), stop, sentCounter)) {
            return false;
        }
        total -= n;
    }
    return true;
}

// Holds the connection: true when atMost passed, false when the peer closed or the server stops.
bool HoldConnection(int fd, std::chrono::milliseconds atMost, const std::atomic<bool>& stop) {
    const Clock::time_point until = Clock::now() + atMost;
    while (!stop.load()) {
        if (atMost.count() > 0 && Clock::now() >= until) {
            return true;
        }
        pollfd p{fd, POLLRDHUP, 0};
        const int ready = poll(&p, 1, kSliceMs);
        if (ready > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0) {
            return false;
        }
    }
    return false;
}

std::string ContentLengthHead(int status, std::string_view contentType, std::size_t length) {
    return StatusLine(status) + "Content-Type: " + std::string(contentType) +
           "\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
}

}  // namespace

std::string RecordedRequest::Header(std::string_view name) const {
    std::string_view rest = headerBlock;
    while (!rest.empty()) {
        const std::size_t end = rest.find("\r\n");
        const std::string_view line = rest.substr(0, end);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && EqualIgnoringCase(line.substr(0, colon), name)) {
            std::string_view value = line.substr(colon + 1);
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
                value.remove_prefix(1);
            }
            return std::string(value);
        }
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 2);
    }
    return {};
}

bool RecordedRequest::HasHeader(std::string_view name) const {
    std::string_view rest = headerBlock;
    while (!rest.empty()) {
        const std::size_t end = rest.find("\r\n");
        const std::string_view line = rest.substr(0, end);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && EqualIgnoringCase(line.substr(0, colon), name)) {
            return true;
        }
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 2);
    }
    return false;
}

ResponseStep Send(std::string bytes, std::chrono::milliseconds delayBefore) {
    ResponseStep step;
    step.kind = ResponseStep::Kind::Send;
    step.bytes = std::move(bytes);
    step.delay = delayBefore;
    return step;
}

ResponseStep SendRepeated(std::string pattern, std::size_t totalBytes) {
    ResponseStep step;
    step.kind = ResponseStep::Kind::SendRepeated;
    step.bytes = std::move(pattern);
    step.totalBytes = totalBytes;
    return step;
}

ResponseStep Hold(std::chrono::milliseconds atMost) {
    ResponseStep step;
    step.kind = ResponseStep::Kind::Hold;
    step.delay = atMost;
    return step;
}

ResponseStep Close() {
    ResponseStep step;
    step.kind = ResponseStep::Kind::Close;
    return step;
}

ResponseStep Reset() {
    ResponseStep step;
    step.kind = ResponseStep::Kind::Reset;
    return step;
}

Response Page(int status, std::string body, std::string contentType) {
    return {Send(ContentLengthHead(status, contentType, body.size()) + body)};
}

Response Ok(std::string body, std::string contentType) {
    return Page(200, std::move(body), std::move(contentType));
}

Response GbkPage(std::string body) {
    return Ok(std::move(body), "text/html; charset=gbk");
}

Response Utf8Page(std::string body) {
    return Ok(std::move(body), "text/html; charset=utf-8");
}

Response PageWithHeaders(int status, std::string headerLines, std::string body) {
    return {Send(StatusLine(status) + headerLines +
                 "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body)};
}

Response NotFound() {
    return Page(404, "<html><body><h1>404 Not Found</h1></body></html>");
}

Response ServerError() {
    return Page(500, "<html><body><h1>500 Internal Server Error</h1></body></html>");
}

Response Chunked(const std::vector<std::string>& pieces) {
    std::string bytes =
        StatusLine(200) + "Content-Type: text/html\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (const std::string& piece : pieces) {
        char size[32];
        std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
        bytes += size;
        bytes += piece;
        bytes += "\r\n";
    }
    bytes += "0\r\n\r\n";
    return {Send(std::move(bytes))};
}

Response CloseDelimited(std::string body) {
    return {Send(StatusLine(200) + "Content-Type: text/html\r\nConnection: close\r\n\r\n" + body),
            Close()};
}

Response Redirect(int status, std::string location, std::string setCookie) {
    std::string lines = "Location: " + location + "\r\n";
    if (!setCookie.empty()) {
        lines += "Set-Cookie: " + setCookie + "\r\n";
    }
    return PageWithHeaders(status, std::move(lines), "moved");
}

Response Drip(std::string body, std::size_t pieceSize, std::chrono::milliseconds delay) {
    Response response{Send(ContentLengthHead(200, "text/html", body.size()))};
    pieceSize = std::max<std::size_t>(1, pieceSize);
    for (std::size_t at = 0; at < body.size(); at += pieceSize) {
        response.push_back(Send(body.substr(at, pieceSize), delay));
    }
    return response;
}

Response Stall() {
    return {Hold()};
}

Response StallAfter(std::string partialBody, std::size_t declaredLength) {
    return {Send(ContentLengthHead(200, "text/html", declaredLength) + partialBody), Hold()};
}

Response ResetMidBody(std::string partialBody, std::size_t declaredLength) {
    return {Send(ContentLengthHead(200, "text/html", declaredLength) + partialBody), Reset()};
}

Response LargeBody(std::size_t totalBytes, std::string pattern) {
    return {Send(ContentLengthHead(200, "text/html", totalBytes)),
            SendRepeated(std::move(pattern), totalBytes)};
}

LoopbackServer::LoopbackServer() : LoopbackServer(Handler{}) {}

LoopbackServer::LoopbackServer(Handler handler) : handler_(std::move(handler)) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 64) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return;
    }
    listenFd_ = fd;
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (acceptThread_.joinable()) {
        acceptThread_.join();
    }
    // The accept thread has ended, so no connection thread is added any more.
    std::vector<std::thread> connections;
    {
        std::lock_guard lock(mutex_);
        connections.swap(connections_);
    }
    for (std::thread& connection : connections) {
        connection.join();
    }
    if (listenFd_ >= 0) {
        ::close(listenFd_);
    }
}

std::string LoopbackServer::Url(std::string_view path) const {
    return "http://" + HostPort() + std::string(path);
}

std::string LoopbackServer::HostPort() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void LoopbackServer::SetHandler(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

void LoopbackServer::Route(std::string method, std::string target, Response response) {
    std::lock_guard lock(mutex_);
    routes_[std::move(target)] = RouteEntry{std::move(method), std::move(response)};
}

void LoopbackServer::Route(std::string method, std::string target, std::string body) {
    Route(std::move(method), std::move(target), Ok(std::move(body)));
}

std::vector<RecordedRequest> LoopbackServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t LoopbackServer::RequestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

bool LoopbackServer::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

bool LoopbackServer::Wait(std::chrono::milliseconds delay) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, delay, [&] { return stop_.load(); });
}

void LoopbackServer::AcceptLoop() {
    while (!stop_.load()) {
        pollfd p{listenFd_, POLLIN, 0};
        if (poll(&p, 1, kSliceMs) <= 0) {
            continue;
        }
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        std::lock_guard lock(mutex_);
        connections_.emplace_back([this, fd] { ServeConnection(fd); });
    }
}

void LoopbackServer::ServeConnection(int fd) {
    std::string pending;
    for (;;) {
        std::size_t headEnd;
        bool open = true;
        while (open && (headEnd = pending.find("\r\n\r\n")) == std::string::npos) {
            open = ReadSome(fd, pending, stop_, std::nullopt) > 0;
        }
        if (!open) {
            break;
        }

        RecordedRequest request;
        const std::size_t lineEnd = pending.find("\r\n");
        request.requestLine = pending.substr(0, lineEnd);
        const std::size_t space1 = request.requestLine.find(' ');
        const std::size_t space2 = request.requestLine.find(' ', space1 + 1);
        request.method = request.requestLine.substr(0, space1);
        if (space1 != std::string::npos) {
            request.target = request.requestLine.substr(space1 + 1, space2 - space1 - 1);
        }
        request.headerBlock = pending.substr(lineEnd + 2, headEnd + 2 - (lineEnd + 2));
        const std::size_t bodyLength = ParseContentLength(request.Header("Content-Length"));

        const std::size_t bodyBegin = headEnd + 4;
        const Clock::time_point deadline =
            Clock::now() + std::chrono::milliseconds(bodyWaitMs_.load());
        while (pending.size() - bodyBegin < bodyLength) {
            if (ReadSome(fd, pending, stop_, deadline) <= 0) {
                break;
            }
        }
        const std::size_t received = std::min(pending.size() - bodyBegin, bodyLength);
        request.bodyComplete = received == bodyLength;
        request.body = pending.substr(bodyBegin, received);
        request.raw = pending.substr(0, bodyBegin + received);
        pending.erase(0, bodyBegin + received);

        std::size_t index;
        {
            std::lock_guard lock(mutex_);
            index = requests_.size();
            requests_.push_back(request);
        }
        changed_.notify_all();
        if (!request.bodyComplete || stop_.load()) {
            break;
        }
        if (!Play(fd, Answer(request, index))) {
            break;
        }
    }
    ::close(fd);
}

Response LoopbackServer::Answer(const RecordedRequest& request, std::size_t index) {
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        handler = handler_;
        if (!handler) {
            auto route = routes_.find(request.target);
            if (route == routes_.end()) {
                route = routes_.find(request.target.substr(0, request.target.find('?')));
            }
            if (route == routes_.end()) {
                return NotFound();
            }
            if (!route->second.method.empty() && route->second.method != request.method) {
                return Page(405, "<html><body>405 Method Not Allowed</body></html>");
            }
            return route->second.response;
        }
    }
    return handler(request, index);
}

bool LoopbackServer::Play(int fd, const Response& response) {
    for (const ResponseStep& step : response) {
        if (step.kind != ResponseStep::Kind::Hold && step.delay.count() > 0 && !Wait(step.delay)) {
            return false;
        }
        switch (step.kind) {
            case ResponseStep::Kind::Send:
                if (!SendAll(fd, step.bytes, stop_, bytesSent_)) {
                    return false;
                }
                break;
            case ResponseStep::Kind::SendRepeated:
                if (!SendRepeatedBytes(fd, step.bytes, step.totalBytes, stop_, bytesSent_)) {
                    return false;
                }
                break;
            case ResponseStep::Kind::Hold:
                if (!HoldConnection(fd, step.delay, stop_)) {
                    return false;
                }
                break;
            case ResponseStep::Kind::Close:
                return false;
            case ResponseStep::Kind::Reset: {
                const linger abort{1, 0};
                setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
                return false;
            }
        }
    }
    return true;
}

}  // namespace qingwu::test
