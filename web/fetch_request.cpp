#include "web/fetch_request.h"

#include <cstddef>

#include "web/text_between.h"

namespace qingwu::fetch {
namespace {

constexpr TextView kAcceptLine =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
constexpr TextView kAcceptLanguageLine = "Accept-Language: zh-cn\r\n";

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

void AppendPercentEncoded(Text& out, unsigned char b) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
}

// One caller line as libcurl's list needs it: "Name:" followed by blanks only would be read as
// "remove this header", so it becomes "Name;", which libcurl sends as "Name:".
std::string CurlLine(TextView line) {
    const std::size_t colon = line.find(':');
    if (colon != TextView::npos) {
        std::size_t i = colon + 1;
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        if (i == line.size()) {
            return std::string(line.substr(0, colon)) + ";";
        }
    }
    return std::string(line);
}

}  // namespace

Text ChooseVerb(const std::optional<Text>& method) {
    if (method && method->size() == 4) {
        Text upper = *method;
        for (char& c : upper) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - ('a' - 'A'));
            }
        }
        if (upper == "POST") {
            return *method;
        }
    }
    return "GET";
}

Text WithDefaultHeaders(Text block, TextView url) {
    if (Find(block, "Accept: ", 1, true) < 0) {
        block += kAcceptLine;
    }
    if (Find(block, "Referer: ", 1, true) < 0) {
        block += "Referer: ";
        // The address goes in as given; only line breaks, which would end the line early, are
        // encoded.
        for (const char c : url) {
            if (IsLineBreak(c)) {
                AppendPercentEncoded(block, static_cast<unsigned char>(c));
            } else {
                block += c;
            }
        }
        block += "\r\n";
    }
    if (Find(block, "Accept-Language: ", 1, true) < 0) {
        block += kAcceptLanguageLine;
    }
    return block;
}

std::vector<std::string> CurlHeaderLines(TextView block, bool post, std::size_t bodySize) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < block.size()) {
        std::size_t end = begin;
        while (end < block.size() && !IsLineBreak(block[end])) {
            ++end;
        }
        if (end > begin) {
            lines.push_back(CurlLine(block.substr(begin, end - begin)));
        }
        begin = end + 1;
    }
    // Without a line of that name in the list, libcurl would send "Accept: */*" on its own; the
    // request carries only the Accept line of the block, if any.
    lines.emplace_back("Accept:");
    if (post) {
        if (bodySize > 0) {
            lines.emplace_back("Content-Type: application/x-www-form-urlencoded");
            lines.push_back("Content-Length: " + std::to_string(bodySize));
        } else {
            lines.emplace_back("Content-Type:");
            lines.emplace_back("Content-Length:");
        }
        lines.emplace_back("Expect:");
    }
    return lines;
}

Text RequestTarget(TextView path) {
    const TextView beforeFragment = path.substr(0, path.find('#'));
    Text target;
    target.reserve(beforeFragment.size());
    for (const char c : beforeFragment) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F) {
            AppendPercentEncoded(target, b);
        } else {
            target += c;
        }
    }
    return target;
}

Text CurlUrl(bool https, TextView host, int port, TextView target) {
    Text url = https ? "https://" : "http://";
    url += host;
    if (port != 0) {
        url += ':';
        url += std::to_string(port);
    }
    for (const char c : target) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F) {
            AppendPercentEncoded(url, b);
        } else {
            url += c;
        }
    }
    return url;
}

Text ProxyTarget(TextView host, int port, TextView target) {
    Text url = "http://";
    url += host;
    if (port != 0 && port != 80) {
        url += ':';
        url += std::to_string(port);
    }
    url += target;
    return url;
}

bool IsUsableHost(TextView host) {
    if (host.empty()) {
        return false;
    }
    for (const char c : host) {
        const auto b = static_cast<unsigned char>(c);
        const bool usable = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ||
                            (b >= '0' && b <= '9') || b == '.' || b == '-' || b == '_' || b >= 0x80;
        if (!usable) {
            return false;
        }
    }
    return true;
}

}  // namespace qingwu::fetch
