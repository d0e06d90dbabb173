#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "text/text.h"

namespace qingwu {

// One HTTP request in the shape of a desktop browser, run to completion on the calling thread.
// Returns the response body as raw bytes cut at the first zero byte; the empty text when nothing
// was received or the request could not be set up. Never shows anything and never throws.
//   url              "http://host[:port]/path?query" (prefix optional, any case); "https://" is
//                    fetched over TLS with certificate checks
//   method           "POST" in any letter case makes a POST sent with the caller's spelling;
//                    anything else, or nothing, makes a GET
//   proxy            when supplied (even empty), the HTTP proxy "host:port"; else a direct
//                    connection (environment proxy variables are ignored)
//   headers          extra request header lines, each ended by "\r\n"
//   postData         the body of a POST, sent byte for byte
//   responseHeaders  when supplied, receives the raw header block of the final response
// Between reads the pending-events pump runs, so the window stays live; a nested call made from
// the pump is independent of this one.
Text FetchPage(const Text& url, const std::optional<Text>& method = std::nullopt,
               const std::optional<Text>& proxy = std::nullopt, const Text& headers = {},
               const Text& postData = {}, Text* responseHeaders = nullptr);

// The function FetchPage calls between reads to let the window process its pending events.
// Set once by the program at start (the web layer itself knows no toolkit); empty by default.
void SetPendingEventsPump(std::function<void()> pump);

// Makes every fetch running now return at once with what it has (the window is closing). Fetches
// started afterwards run normally.
void CancelAllFetches();

// Limits of a fetch. The production values are the defaults; tests may shorten the time-outs.
struct FetchLimits {
    std::chrono::milliseconds connectTimeout{18000};
    std::chrono::milliseconds sendTimeout{18000};
    std::chrono::milliseconds receiveTimeout{18000};  // longest wait for the next bytes
    std::size_t maxBodyBytes = 64u << 20;             // beyond it the read counts as failed
    int maxRedirects = 10;
    std::optional<std::string> caFile;  // trust store override (tests with their own CA)
};
FetchLimits& CurrentFetchLimits();

}  // namespace qingwu
