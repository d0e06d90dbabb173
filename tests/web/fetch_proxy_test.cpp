// The proxy: only the one the caller names, never one from the environment.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/loopback_server.h"
#include "tests/web/fetch_fixture.h"
#include "web/fetch_page.h"

namespace qingwu::test {
namespace {

// Sets environment variables for one scope and restores what was there before.
class ScopedEnvironment {
  public:
    void Set(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old != nullptr ? std::optional<std::string>(old) : std::nullopt});
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) {
                setenv(it->first, it->second->c_str(), 1);
            } else {
                unsetenv(it->first);
            }
        }
    }

  private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

LoopbackServer::Handler Answering(std::string body) {
    return [body](const RecordedRequest&, std::size_t) { return Ok(body); };
}

using FetchProxy = FetchTest;

TEST_F(FetchProxy, EnvironmentProxyIsIgnored) {
    LoopbackServer site(Answering("direct"));
    LoopbackServer envProxy(Answering("from the environment's proxy"));
    ScopedEnvironment environment;
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "all_proxy", "ALL_PROXY"}) {
        environment.Set(name, envProxy.Url("/"));
    }
    environment.Set("no_proxy", "");
    environment.Set("NO_PROXY", "");

    EXPECT_EQ(FetchPage(site.Url("/page")), "direct");
    EXPECT_EQ(site.RequestCount(), 1u);
    EXPECT_EQ(envProxy.RequestCount(), 0u);
}

TEST_F(FetchProxy, SuppliedProxyReceivesTheAbsoluteAddress) {
    LoopbackServer site(Answering("direct"));
    LoopbackServer proxy(Answering("via proxy"));
    // no_proxy in the environment must not bypass a proxy the caller named.
    ScopedEnvironment environment;
    environment.Set("no_proxy", "127.0.0.1");
    environment.Set("NO_PROXY", "127.0.0.1");

    const std::string url = site.Url("/via?x=1");
    EXPECT_EQ(FetchPage(url, "post", proxy.HostPort(), {}, "a=1"), "via proxy");
    EXPECT_EQ(site.RequestCount(), 0u);
    const auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestLine, "post " + url + " HTTP/1.1");
    EXPECT_EQ(requests[0].Header("Host"), site.HostPort());
    EXPECT_EQ(requests[0].Header("Referer"), url);
    EXPECT_EQ(requests[0].body, "a=1");
}

TEST_F(FetchProxy, EmptySuppliedProxyConnectsDirectly) {
    LoopbackServer site(Answering("direct"));
    EXPECT_EQ(FetchPage(site.Url("/"), std::nullopt, std::string()), "direct");
    ASSERT_EQ(site.RequestCount(), 1u);
    EXPECT_EQ(site.Requests()[0].requestLine, "GET / HTTP/1.1");
}

}  // namespace
}  // namespace qingwu::test
