#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qingwu::demo {

// An HTTP/1.x request as the server received it. Header names are kept as sent.
struct HttpRequest {
    std::string method;
    std::string target;   // origin form "/path?query" (an absolute form is reduced to it)
    std::string version;  // "HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The value of the first header with this name (compared ignoring ASCII case).
    std::optional<std::string> Header(std::string_view name) const;
    std::string Path() const;   // the target up to '?'
    std::string Query() const;  // the target after '?', empty when it has none
};

struct HttpResponse {
    int status = 200;
    std::string body;      // sent as it is (GBK pages)
    std::string location;  // a Location header when not empty
};

// Limits of what the server reads from one request.
inline constexpr std::size_t kMaxHeadBytes = 64 * 1024;
inline constexpr std::size_t kMaxBodyBytes = 1024 * 1024;

// Position just past the blank line that ends the request head, or npos while it has not
// arrived yet.
std::size_t FindHeadEnd(std::string_view received);

enum class HeadStatus {
    kOk,
    kBadRequest,      // 400: malformed request line, header line or Content-Length
    kBodyTooLarge,    // 413
    kNotImplemented,  // 501: a transfer coding the server does not take (chunked bodies)
};

// Parses the request line and the header lines of head (the bytes up to FindHeadEnd) into
// request, and the length of the body that follows into bodyLength (0 without Content-Length).
HeadStatus ParseRequestHead(std::string_view head, HttpRequest& request, std::size_t& bodyLength);

// Decodes a form value the way browsers encode it ('+' is a space, %XX a byte). Bytes that are
// not part of an escape pass through unchanged, so raw GBK bytes come out as they went in: GBK
// trail bytes are 0x40 and above and are never '%' or '+'.
std::string DecodeFormComponent(std::string_view text);

// The decoded value of the first field called name in a form body or query
// ("a=1&searchkey=..."); nothing when the field is absent.
std::optional<std::string> FormField(std::string_view form, std::string_view name);

// The reason phrase of a status code the server sends.
std::string_view ReasonPhrase(int status);

// The whole response: status line, Content-Type text/html; charset=gbk, Content-Length,
// Connection: close, then the body unless headOnly (a HEAD request).
std::string SerializeResponse(const HttpResponse& response, bool headOnly);

}  // namespace qingwu::demo
