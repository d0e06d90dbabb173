#include "web/fetch_page.h"

#include "web/fetch_control.h"
#include "web/fetch_request.h"
#include "web/fetch_transfer.h"
#include "web/url.h"

namespace qingwu {
namespace {

bool IsRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// 301, 302 and 303 send the next hop as a GET without a body; 307 and 308 keep verb and body.
bool RedirectBecomesGet(long status) {
    return status == 301 || status == 302 || status == 303;
}

}  // namespace

Text FetchPage(const Text& url, const std::optional<Text>& method, const std::optional<Text>& proxy,
               const Text& headers, const Text& postData, Text* responseHeaders) {
    // Taken when the call starts: a cancel from now on ends it, a change of limits does not.
    const std::uint64_t generation = fetch::CancelGeneration();
    const FetchLimits limits = CurrentFetchLimits();
    if (responseHeaders != nullptr) {
        responseHeaders->clear();
    }

    const bool https = UrlIsHttps(url);
    const Text host = UrlHost(url);
    const int port = UrlPort(url);
    if (!fetch::IsUsableHost(host) || port < 0 || port > 65535) {
        return {};
    }
    const Text target = fetch::RequestTarget(UrlPath(url));
    const Text headerBlock = fetch::WithDefaultHeaders(headers, url);
    // An empty proxy text names no proxy: the connection is direct.
    const bool viaProxy = proxy && !proxy->empty();

    fetch::FetchTransfer transfer(limits, proxy, responseHeaders != nullptr, generation);
    if (!transfer.Ready()) {
        return {};
    }
    fetch::HopRequest hop;
    hop.url = fetch::CurlUrl(https, host, port, target);
    // A plain HTTP proxy needs the absolute address on the request line; through a tunnel
    // (https) the server gets the path as usual.
    hop.target = viaProxy && !https ? fetch::ProxyTarget(host, port, target) : target;
    hop.verb = fetch::ChooseVerb(method);
    hop.post = hop.verb != "GET";

    for (int redirects = 0;; ++redirects) {
        hop.body = hop.post ? TextView(postData) : TextView();
        hop.headerLines = fetch::CurlHeaderLines(headerBlock, hop.post, hop.body.size());
        const fetch::HopResult result = transfer.Run(hop);
        if (result.end != fetch::HopEnd::Complete || !IsRedirect(result.status) ||
            result.redirectUrl.empty() || redirects >= limits.maxRedirects) {
            break;
        }
        if (RedirectBecomesGet(result.status)) {
            hop.verb = "GET";
            hop.post = false;
        }
        // The next address comes from libcurl, already absolute and encoded; libcurl builds
        // its request target.
        hop.url = result.redirectUrl;
        hop.target.reset();
    }

    if (responseHeaders != nullptr) {
        *responseHeaders = transfer.TakeHeaders();
    }
    return transfer.TakeBody();
}

}  // namespace qingwu
