#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace qingwu::test {

// One request exactly as it arrived on the wire.
struct RecordedRequest {
    std::string raw;          // every byte of the request: request line, headers, body
    std::string requestLine;  // e.g. "GET /a?b=1 HTTP/1.1", without its line end
    std::string method;
    std::string target;
    std::string headerBlock;   // the header lines after the request line, each with "\r\n"
    std::string body;          // Content-Length bytes (fewer when incomplete)
    bool bodyComplete = true;  // false when the body did not arrive in time or the client left

    // The value of the first header line with this name (ASCII case ignored), leading blanks
    // removed; empty when there is none.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
};

// One step of an answer.
struct ResponseStep {
    enum class Kind {
        Send,          // send bytes
        SendRepeated,  // send totalBytes bytes made by repeating bytes, generated while sending
        Hold,          // send nothing; keep the connection until the client leaves, the server
                       // stops or (when delay > 0) delay has passed
        Close,         // close the connection normally
        Reset,         // close with a TCP reset (SO_LINGER 0)
    };
    Kind kind = Kind::Send;
    std::string bytes;
    std::size_t totalBytes = 0;
    std::chrono::milliseconds delay{0};  // waited before the step (Hold: its longest duration)
};

// An answer: its steps in order. Unless it ends with Close or Reset the connection stays open
// for the next request.
using Response = std::vector<ResponseStep>;

ResponseStep Send(std::string bytes, std::chrono::milliseconds delayBefore = {});
ResponseStep SendRepeated(std::string pattern, std::size_t totalBytes);
ResponseStep Hold(std::chrono::milliseconds atMost = {});
ResponseStep Close();
ResponseStep Reset();

// Ready-made answers. Unless said otherwise they carry a Content-Length and keep the connection.
// A page with the given status (reason phrase from the status) and body.
Response Page(int status, std::string body, std::string contentType = "text/html");
Response Ok(std::string body, std::string contentType = "text/html");
Response GbkPage(std::string body);   // Content-Type text/html; charset=gbk
Response Utf8Page(std::string body);  // Content-Type text/html; charset=utf-8
// Extra header lines (each with "\r\n") after the status line.
Response PageWithHeaders(int status, std::string headerLines, std::string body);
Response NotFound();
Response ServerError();
// A chunked body, one chunk per piece, then the last chunk.
Response Chunked(const std::vector<std::string>& pieces);
// A body without a length, ended by closing the connection.
Response CloseDelimited(std::string body);
// A redirect to location, optionally setting a cookie ("name=value; Path=/").
Response Redirect(int status, std::string location, std::string setCookie = {});
// The headers, then the body in pieces of pieceSize bytes with delay before each piece.
Response Drip(std::string body, std::size_t pieceSize, std::chrono::milliseconds delay);
// Nothing at all; the connection is held open.
Response Stall();
// Headers announcing declaredLength bytes, then partialBody, then the connection is held.
Response StallAfter(std::string partialBody, std::size_t declaredLength);
// Headers announcing declaredLength bytes, then partialBody, then a TCP reset.
Response ResetMidBody(std::string partialBody, std::size_t declaredLength);
// A body of totalBytes bytes repeating pattern, generated while it is sent.
Response LargeBody(std::size_t totalBytes, std::string pattern = "0123456789abcdef");

// An HTTP server on 127.0.0.1 with a port of the system's choosing, for tests. It records every
// request byte for byte and answers each one from a handler (raw request, index from 0 over all
// connections) or, when there is none, from a route table. Each connection has its own thread;
// the destructor stops and joins all of them within a few tens of milliseconds, whatever a
// script is doing.
class LoopbackServer {
  public:
    using Handler = std::function<Response(const RecordedRequest&, std::size_t index)>;

    LoopbackServer();  // answers from the route table (404 for an unknown target)
    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool Listening() const { return listenFd_ >= 0; }
    int Port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by path.
    std::string Url(std::string_view path = "/") const;
    // "127.0.0.1:<port>", as a proxy address.
    std::string HostPort() const;

    void SetHandler(Handler handler);
    // Answers requests whose target is exactly target, or whose path (the target without its
    // query) is target when target has no '?'. An empty method accepts any; another method
    // gets 405. A later route for the same target replaces the earlier one.
    void Route(std::string method, std::string target, Response response);
    void Route(std::string method, std::string target, std::string body);

    std::vector<RecordedRequest> Requests() const;
    std::size_t RequestCount() const;
    // Waits (bounded) until at least count requests were recorded.
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
    // Bytes of answers sent so far over all connections (written to the socket, so they are
    // on their way to the client).
    std::size_t BytesSent() const { return bytesSent_.load(); }
    // How long to wait for the rest of a body before recording it as incomplete (default 1 s).
    void SetBodyWait(std::chrono::milliseconds wait) { bodyWaitMs_ = wait.count(); }

  private:
    struct RouteEntry {
        std::string method;
        Response response;
    };

    void AcceptLoop();
    void ServeConnection(int fd);
    Response Answer(const RecordedRequest& request, std::size_t index);
    // Runs the steps; false when the connection must end afterwards.
    bool Play(int fd, const Response& response);
    // Waits for delay unless the server stops first; false when it stopped.
    bool Wait(std::chrono::milliseconds delay);

    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<long long> bodyWaitMs_{1000};
    std::atomic<std::size_t> bytesSent_{0};

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Handler handler_;
    std::map<std::string, RouteEntry> routes_;
    std::vector<RecordedRequest> requests_;
    std::vector<std::thread> connections_;
    std::thread acceptThread_;
};

}  // namespace qingwu::test
