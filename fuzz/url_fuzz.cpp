// Address splitting on arbitrary addresses: host, port and path are pieces of the address in the
// documented shape, and no address makes the splitting read outside it or overflow.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "web/url.h"

using qingwu::fuzz::Require;

namespace {

bool ContainsUpperAscii(const std::string& s) {
    for (const char c : s) {
        if (c >= 'A' && c <= 'Z') {
            return true;
        }
    }
    return false;
}

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string url = qingwu::fuzz::SplitInput(data, size, 1)[0];
    const std::string host = qingwu::UrlHost(url);
    const int port = qingwu::UrlPort(url);
    const std::string path = qingwu::UrlPath(url);
    const bool https = qingwu::UrlIsHttps(url);

    Require(!ContainsUpperAscii(host), "the host is lower-cased");
    Require(host.find(':') == std::string::npos, "the host ends before the port");
    Require(Lower(url).find(host) != std::string::npos, "the host is a piece of the address");
    Require(port >= 0, "the port is never negative");
    Require(!path.empty() && path[0] == '/', "the path begins with a slash");
    Require(path == "/" || url.size() >= path.size(), "the path is no longer than the address");
    Require(path == "/" || url.compare(url.size() - path.size(), path.size(), path) == 0,
            "the path is the end of the address");
    const std::string lower = Lower(url);
    Require(https == (lower.rfind("https://", 0) == 0), "https only with its prefix");
    const std::size_t prefix = https ? 8 : lower.rfind("http://", 0) == 0 ? 7 : 0;
    if (url.find(':', prefix) == std::string::npos) {
        Require(port == (https ? 443 : 80), "the default port");
    }
    return 0;
}
