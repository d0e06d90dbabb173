#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qingwu::demo::testing {

// A response as it came over the wire.
struct RawResponse {
    int status = 0;          // 0 when no status line arrived
    std::string statusLine;  // "HTTP/1.1 200 OK"
    std::string head;        // the header lines, each ended by "\r\n"
    std::string body;        // everything after the blank line (the server closes the connection)

    // The value of a header (name compared ignoring ASCII case), nothing when absent.
    std::optional<std::string> Header(std::string_view name) const;
};

// One client connection to 127.0.0.1:port; closed when destroyed. Reads wait 10 s at most.
class RawConnection {
  public:
    explicit RawConnection(std::uint16_t port);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool Connected() const { return fd_ >= 0; }
    bool Send(std::string_view bytes);
    // Reads until marker has arrived (true) or the peer closes or goes silent (false).
    bool ReadUntil(std::string_view marker);
    // Reads until the peer closes; returns everything received on the connection.
    const std::string& ReadAll();
    const std::string& Received() const { return received_; }

  private:
    bool ReadMore();

    int fd_ = -1;
    std::string received_;
};

// Splits the bytes of a response into status, head and body.
RawResponse ParseResponse(const std::string& bytes);

// Sends request bytes exactly as given to 127.0.0.1:port and reads until the server closes
// the connection (10 s of silence at most).
RawResponse SendRaw(std::uint16_t port, std::string_view request);

// A GET of path with a minimal well-formed request.
RawResponse Get(std::uint16_t port, std::string_view path);

// A POST of body (bytes as given) to path as a form.
RawResponse PostForm(std::uint16_t port, std::string_view path, std::string_view body);

}  // namespace qingwu::demo::testing
