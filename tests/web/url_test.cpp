#include "web/url.h"

#include <gtest/gtest.h>

namespace qingwu {
namespace {

struct UrlCase {
    const char* name;
    const char* url;
    const char* host;
    int port;
    const char* path;
    bool https;
};

TEST(UrlSplit, HostPortPathAndScheme) {
    const UrlCase cases[] = {
        {"port and query", "http://Host:81/list/1.html?page=2", "host", 81, "/list/1.html?page=2",
         false},
        {"no scheme", "Host/x.html", "host", 80, "/x.html", false},
        {"no path", "http://host", "host", 80, "/", false},
        {"no scheme no path", "example.com", "example.com", 80, "/", false},
        {"scheme in capitals", "HTTP://HOST/a", "host", 80, "/a", false},
        {"empty port", "http://host:/a", "host", 0, "/a", false},
        {"port with trailing junk", "http://host:81abc/a", "host", 81, "/a", false},
        {"fractional port", "http://host:81.9/a", "host", 81, "/a", false},
        {"port without digits", "http://host:x/a", "host", 0, "/a", false},
        {"port too large saturates", "http://host:99999999999999/a", "host", 2147483647, "/a",
         false},
        {"https", "https://host/a", "host", 443, "/a", true},
        {"https in mixed case", "HtTpS://WWW.Host.CN:8443/b?c=D", "www.host.cn", 8443, "/b?c=D",
         true},
        {"https empty port", "https://host:/a", "host", 0, "/a", true},
        {"other scheme has no prefix", "ftp://host/a", "ftp", 0, "//host/a", false},
        {"host inside the scheme prefix", "http://h/a", "h", 80, "/a", false},
        {"host tp inside the scheme prefix", "https://tp:8/x", "tp", 8, "/x", true},
        {"empty host", "http://:81/a", "", 81, "/a", false},
        {"path with GBK bytes", "http://host/\xD6\xD0\xCE\xC4/1.html", "host", 80,
         "/\xD6\xD0\xCE\xC4/1.html", false},
        {"prefix only", "http://", "", 80, "/", false},
        {"empty address", "", "", 80, "/", false},
    };
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(UrlHost(c.url), c.host);
        EXPECT_EQ(UrlPort(c.url), c.port);
        EXPECT_EQ(UrlPath(c.url), c.path);
        EXPECT_EQ(UrlIsHttps(c.url), c.https);
    }
}

}  // namespace
}  // namespace qingwu
