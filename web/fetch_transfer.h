#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "text/text.h"
#include "web/fetch_page.h"

namespace qingwu::fetch {

// How one request of a fetch ended.
enum class HopEnd {
    Complete,   // the whole response arrived
    Failed,     // connecting, sending or reading failed (refused, reset, cut short, bad address)
    TimedOut,   // no bytes moved for longer than the send or receive time-out
    Cancelled,  // CancelAllFetches was called since the fetch started
    TooLarge,   // the body or the header block passed the size cap
};

// One request on the wire.
struct HopRequest {
    Text url;                    // the address libcurl connects to (already encoded)
    std::optional<Text> target;  // the request-line target; none: libcurl's, from url
    Text verb;                   // "GET" or the caller's spelling of POST
    bool post = false;
    TextView body;  // the POST body; must stay alive while the request runs
    std::vector<std::string> headerLines;
};

struct HopResult {
    HopEnd end = HopEnd::Failed;
    long status = 0;   // the HTTP status of the last response seen, 0 when none
    Text redirectUrl;  // the Location made absolute, when the response carries one
};

// The libcurl handles of one FetchPage call. The same easy handle runs every request of the call
// (the redirect hops), so the cookie engine keeps what a redirect set; nothing outlives the
// object, so nothing is shared with other calls. A request runs in a perform/poll/pump loop on
// the calling thread: the pump runs between rounds, never inside a libcurl callback, so a nested
// fetch it starts has handles of its own and this transfer simply waits for it.
class FetchTransfer {
  public:
    // Sets every option that stays the same for the whole call. keepHeaders: collect the
    // response header block. generation: CancelGeneration() when the fetch started.
    FetchTransfer(const FetchLimits& limits, const std::optional<Text>& proxy, bool keepHeaders,
                  std::uint64_t generation);
    ~FetchTransfer();
    FetchTransfer(const FetchTransfer&) = delete;
    FetchTransfer& operator=(const FetchTransfer&) = delete;

    // False when libcurl could not give the handles or refused an option; Run then fails.
    bool Ready() const;

    // Sends one request and reads its response to the end (or until it fails).
    HopResult Run(const HopRequest& request);

    // The body of the last request: the bytes received up to the first zero byte.
    Text TakeBody();
    // The header block of the final response of the last request: status line and header lines,
    // each with its line end, without the blank line and without trailers.
    Text TakeHeaders();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace qingwu::fetch
