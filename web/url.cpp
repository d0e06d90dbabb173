#include "web/url.h"

#include <climits>
#include <cstddef>

#include "web/text_between.h"

namespace qingwu {
namespace {

constexpr TextView kHttpPrefix = "http://";
constexpr TextView kHttpsPrefix = "https://";

unsigned char LowerAscii(unsigned char b) {
    return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}

bool StartsWithIgnoringCase(TextView text, TextView prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (LowerAscii(static_cast<unsigned char>(text[i])) !=
            static_cast<unsigned char>(prefix[i])) {
            return false;
        }
    }
    return true;
}

// Length of the scheme prefix the address starts with: 7 for "http://", 8 for "https://" (any
// letter case), 0 when it has neither.
std::size_t PrefixLength(TextView url) {
    if (StartsWithIgnoringCase(url, kHttpPrefix)) {
        return kHttpPrefix.size();
    }
    if (StartsWithIgnoringCase(url, kHttpsPrefix)) {
        return kHttpsPrefix.size();
    }
    return 0;
}

// Where the authority begins and ends (0-based, end exclusive) and where the path begins (the "/"
// that ends the authority, or npos when there is none).
struct Split {
    std::size_t authorityBegin = 0;
    std::size_t authorityEnd = 0;
    std::size_t pathBegin = TextView::npos;
};

Split SplitAddress(TextView url) {
    Split split;
    split.authorityBegin = PrefixLength(url);
    const int slash = Find(url, "/", static_cast<int>(split.authorityBegin) + 1);
    if (slash > 0) {
        split.pathBegin = static_cast<std::size_t>(slash - 1);
        split.authorityEnd = split.pathBegin;
    } else {
        split.authorityEnd = url.size();
    }
    return split;
}

TextView Authority(TextView url) {
    const Split split = SplitAddress(url);
    return url.substr(split.authorityBegin, split.authorityEnd - split.authorityBegin);
}

}  // namespace

bool UrlIsHttps(const Text& url) {
    return PrefixLength(url) == kHttpsPrefix.size();
}

Text UrlHost(const Text& url) {
    const TextView authority = Authority(url);
    Text host(authority.substr(0, authority.find(':')));
    for (char& c : host) {
        c = static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
    }
    return host;
}

int UrlPort(const Text& url) {
    const TextView authority = Authority(url);
    const std::size_t colon = authority.find(':');
    if (colon == TextView::npos) {
        return UrlIsHttps(url) ? 443 : 80;
    }
    // The leading decimal digits after the colon; none gives 0 (the client's default port). A
    // number too large for a port saturates, so that the fetch refuses it instead of wrapping.
    long long port = 0;
    for (std::size_t i = colon + 1; i < authority.size(); ++i) {
        const char c = authority[i];
        if (c < '0' || c > '9') {
            break;
        }
        port = port * 10 + (c - '0');
        if (port > INT_MAX) {
            return INT_MAX;
        }
    }
    return static_cast<int>(port);
}

Text UrlPath(const Text& url) {
    // The host is searched from where the authority begins, not from the start of the address:
    // a host such as "h" or "tp" would otherwise be found inside the scheme prefix and the path
    // would start at the prefix's slashes. The host always begins the authority, so the path is
    // what follows the slash that ends the authority.
    const Split split = SplitAddress(url);
    if (split.pathBegin == TextView::npos) {
        return "/";
    }
    return url.substr(split.pathBegin);
}

}  // namespace qingwu
