#include "demo/http_message.h"

namespace qingwu::demo {
namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

bool IsTokenChar(char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
        return true;
    }
    return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsToken(std::string_view s) {
    if (s.empty()) {
        return false;
    }
    for (char c : s) {
        if (!IsTokenChar(c)) {
            return false;
        }
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Splits the head into lines ended by "\r\n" (a bare "\n" is taken as well).
std::vector<std::string_view> HeadLines(std::string_view head) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < head.size()) {
        std::size_t end = head.find('\n', start);
        if (end == std::string_view::npos) {
            end = head.size();
        }
        std::string_view line = head.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = end + 1;
    }
    while (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

// "http://host:port/path?q" → "/path?q"; "http://host" → "/". Other targets stay as they are.
std::string OriginForm(std::string_view target) {
    for (std::string_view scheme : {"http://", "https://"}) {
        if (target.size() >= scheme.size() &&
            EqualsIgnoringCase(target.substr(0, scheme.size()), scheme)) {
            const std::size_t slash = target.find('/', scheme.size());
            return slash == std::string_view::npos ? std::string("/")
                                                   : std::string(target.substr(slash));
        }
    }
    return std::string(target);
}

}  // namespace

std::optional<std::string> HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualsIgnoringCase(key, name)) {
            return value;
        }
    }
    return std::nullopt;
}

std::string HttpRequest::Path() const {
    return target.substr(0, target.find('?'));
}

std::string HttpRequest::Query() const {
    const std::size_t q = target.find('?');
    return q == std::string::npos ? std::string() : target.substr(q + 1);
}

std::size_t FindHeadEnd(std::string_view received) {
    const std::size_t crlf = received.find("\r\n\r\n");
    const std::size_t lf = received.find("\n\n");
    if (crlf == std::string_view::npos && lf == std::string_view::npos) {
        return std::string_view::npos;
    }
    if (lf == std::string_view::npos || (crlf != std::string_view::npos && crlf < lf)) {
        return crlf + 4;
    }
    return lf + 2;
}

HeadStatus ParseRequestHead(std::string_view head, HttpRequest& request, std::size_t& bodyLength) {
    bodyLength = 0;
    const std::vector<std::string_view> lines = HeadLines(head);
    if (lines.empty()) {
        return HeadStatus::kBadRequest;
    }
    const std::string_view requestLine = lines.front();
    const std::size_t sp1 = requestLine.find(' ');
    const std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : requestLine.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos || requestLine.find(' ', sp2 + 1) != std::string_view::npos) {
        return HeadStatus::kBadRequest;
    }
    const std::string_view method = requestLine.substr(0, sp1);
    const std::string_view target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    const std::string_view version = requestLine.substr(sp2 + 1);
    if (!IsToken(method) || target.empty() || version.substr(0, 7) != "HTTP/1.") {
        return HeadStatus::kBadRequest;
    }
    request.method = std::string(method);
    request.target = OriginForm(target);
    request.version = std::string(version);
    if (request.target.empty() || request.target.front() != '/') {
        return HeadStatus::kBadRequest;
    }

    std::optional<std::size_t> contentLength;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !IsToken(line.substr(0, colon))) {
            return HeadStatus::kBadRequest;  // also a folded continuation line
        }
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = TrimSpaces(line.substr(colon + 1));
        if (EqualsIgnoringCase(name, "Content-Length")) {
            if (value.empty() || value.size() > 12) {
                return HeadStatus::kBadRequest;
            }
            std::size_t length = 0;
            for (char c : value) {
                if (c < '0' || c > '9') {
                    return HeadStatus::kBadRequest;
                }
                length = length * 10 + static_cast<std::size_t>(c - '0');
            }
            if (contentLength && *contentLength != length) {
                return HeadStatus::kBadRequest;
            }
            contentLength = length;
        } else if (EqualsIgnoringCase(name, "Transfer-Encoding") &&
                   !EqualsIgnoringCase(value, "identity")) {
            return HeadStatus::kNotImplemented;
        }
        request.headers.emplace_back(std::string(name), std::string(value));
    }
    bodyLength = contentLength.value_or(0);
    if (bodyLength > kMaxBodyBytes) {
        return HeadStatus::kBodyTooLarge;
    }
    return HeadStatus::kOk;
}

std::string DecodeFormComponent(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> FormField(std::string_view form, std::string_view name) {
    std::size_t start = 0;
    while (start <= form.size()) {
        std::size_t end = form.find('&', start);
        if (end == std::string_view::npos) {
            end = form.size();
        }
        const std::string_view field = form.substr(start, end - start);
        const std::size_t eq = field.find('=');
        const std::string_view key = field.substr(0, eq);
        if (DecodeFormComponent(key) == name) {
            return eq == std::string_view::npos ? std::string()
                                                : DecodeFormComponent(field.substr(eq + 1));
        }
        start = end + 1;
    }
    return std::nullopt;
}

std::string_view ReasonPhrase(int status) {
    switch (status) {
        case 100:
            return "Continue";
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 413:
            return "Payload Too Large";
        case 431:
            return "Request Header Fields Too Large";
        case 501:
            return "Not Implemented";
        case 503:
            return "Service Unavailable";
        default:
            return "Internal Server Error";
    }
}

std::string SerializeResponse(const HttpResponse& response, bool headOnly) {
    std::string out = "HTTP/1.1 " + std::to_string(response.status) + " " +
                      std::string(ReasonPhrase(response.status)) + "\r\n";
    out += "Server: qingwu-demo-site\r\n";
    out += "Content-Type: text/html; charset=gbk\r\n";
    out += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    if (!response.location.empty()) {
        out += "Location: " + response.location + "\r\n";
    }
    if (response.status == 405) {
        out += "Allow: GET, HEAD, POST\r\n";
    }
    out += "Cache-Control: no-cache\r\n";
    out += "Connection: close\r\n\r\n";
    if (!headOnly) {
        out += response.body;
    }
    return out;
}

}  // namespace qingwu::demo
