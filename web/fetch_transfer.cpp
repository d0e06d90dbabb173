#include "web/fetch_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>
#include <optional>
#include <utility>

#include "web/fetch_control.h"
#include "web/fetch_request.h"

namespace qingwu::fetch {
namespace {

using Clock = std::chrono::steady_clock;

// Longest wait for socket activity between two pump calls; it bounds how long the window goes
// unserviced while a page arrives.
constexpr std::chrono::milliseconds kRoundWait{20};

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

// Keeps the easy handle in the multi handle for one request and takes it out on every way out.
class MultiAttachment {
  public:
    MultiAttachment(CURLM* multi, CURL* easy)
        : multi_(multi), easy_(easy), attached_(curl_multi_add_handle(multi, easy) == CURLM_OK) {}
    ~MultiAttachment() {
        if (attached_) {
            curl_multi_remove_handle(multi_, easy_);
        }
    }
    MultiAttachment(const MultiAttachment&) = delete;
    MultiAttachment& operator=(const MultiAttachment&) = delete;
    bool Attached() const { return attached_; }

  private:
    CURLM* multi_;
    CURL* easy_;
    bool attached_;
};

// What the libcurl callbacks of one request write. They only record: no libcurl call, no pump.
struct HopState {
    Text body;
    Text headers;
    bool keepHeaders = false;
    bool headerBlockDone = false;  // the blank line of the current block went by
    bool zeroSeen = false;         // the body is cut here; later bytes are counted, not kept
    std::size_t bodyBytes = 0;
    std::size_t headerBytes = 0;
    std::size_t cap = 0;
    std::size_t announcedLength = 0;  // Content-Length of the current block; 0 when none
    bool tooLarge = false;
    bool connected = false;  // the connection (and TLS handshake) is up
    Clock::time_point lastActivity{};

    void Reset() {
        body.clear();
        headers.clear();
        headerBlockDone = false;
        zeroSeen = false;
        bodyBytes = 0;
        announcedLength = 0;
        headerBytes = 0;
        tooLarge = false;
        connected = false;
    }
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto& state = *static_cast<HopState*>(user);
    const std::size_t bytes = size * count;
    state.lastActivity = Clock::now();
    if (state.bodyBytes == 0 && state.announcedLength > 0) {
        // The first bytes of the body: room for the whole announced length (never more than the
        // cap), so a long page is copied once instead of once per doubling of the buffer.
        state.body.reserve(std::min(state.announcedLength, state.cap));
    }
    std::size_t accepted = bytes;
    if (bytes > state.cap - state.bodyBytes) {
        accepted = state.cap - state.bodyBytes;
        state.tooLarge = true;
    }
    state.bodyBytes += accepted;
    if (!state.zeroSeen) {
        const void* zero = std::memchr(data, 0, accepted);
        const std::size_t keep =
            zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - data)
                            : accepted;
        state.body.append(data, keep);
        state.zeroSeen = zero != nullptr;
    }
    // A short count ends the transfer with a write error: the body so far is what remains.
    return state.tooLarge ? 0 : bytes;
}

// The value of a "Content-Length:" header line (any letter case), when the line is one and its
// value is a plain decimal number.
std::optional<std::size_t> ContentLength(TextView line) {
    constexpr TextView kName = "content-length:";
    if (line.size() <= kName.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kName.size(); ++i) {
        const char c = line[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c) != kName[i]) {
            return std::nullopt;
        }
    }
    std::size_t at = kName.size();
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
        ++at;
    }
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(line.data() + at, line.data() + line.size(), value);
    if (error != std::errc() || end == line.data() + at) {
        return std::nullopt;
    }
    return value;
}

size_t WriteHeader(char* data, size_t size, size_t count, void* user) {
    auto& state = *static_cast<HopState*>(user);
    const std::size_t bytes = size * count;
    state.lastActivity = Clock::now();
    if (bytes > state.cap - state.headerBytes) {
        state.tooLarge = true;
        return 0;
    }
    state.headerBytes += bytes;
    const TextView line(data, bytes);
    // Every status line starts a new block, so interim (100) answers and a proxy's CONNECT
    // answer are dropped and the final response's block remains.
    if (line.starts_with("HTTP/")) {
        state.headers.clear();
        state.headerBlockDone = false;
        state.announcedLength = 0;
    }
    if (state.headerBlockDone) {
        return bytes;  // trailers after a chunked body: not part of the header block
    }
    if (line == "\r\n" || line == "\n") {
        state.headerBlockDone = true;
        return bytes;
    }
    if (state.keepHeaders) {
        state.headers.append(line);
    }
    state.announcedLength = ContentLength(line).value_or(state.announcedLength);
    return bytes;
}

int ConnectionReady(void* user, char*, char*, int, int) {
    auto& state = *static_cast<HopState*>(user);
    state.connected = true;
    state.lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
}

}  // namespace

struct FetchTransfer::Impl {
    FetchLimits limits;
    std::uint64_t generation = 0;
    HopState state;
    HeaderList headerList;
    MultiHandle multi;
    EasyHandle easy;
    bool ready = false;

    bool Cancelled() const { return CancelGeneration() != generation; }

    template <typename T>
    bool Set(CURLoption option, T value) {
        return curl_easy_setopt(easy.get(), option, value) == CURLE_OK;
    }

    bool SetCallOptions(const std::optional<Text>& proxy);
    bool SetRequestOptions(const HopRequest& request);
    HopResult Run(const HopRequest& request);
};

bool FetchTransfer::Impl::SetCallOptions(const std::optional<Text>& proxy) {
    bool ok = true;
    ok &= Set(CURLOPT_NOSIGNAL, 1L);
    ok &= Set(CURLOPT_USERAGENT, kUserAgent.data());
    ok &= Set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    ok &= Set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeout.count()));
    // Redirects are followed by FetchPage itself, which decides the verb and body of each hop.
    ok &= Set(CURLOPT_FOLLOWLOCATION, 0L);
    ok &= Set(CURLOPT_PROTOCOLS_STR, "http,https");
    ok &= Set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    ok &= Set(CURLOPT_PATH_AS_IS, 1L);
    // The in-memory cookie engine, reading no file: cookies live as long as this call.
    ok &= Set(CURLOPT_COOKIEFILE, "");
    // The environment's proxy variables never apply: no proxy unless the caller names one.
    ok &= Set(CURLOPT_NOPROXY, "");
    ok &= Set(CURLOPT_PROXY, proxy ? proxy->c_str() : "");
    ok &= Set(CURLOPT_SSL_VERIFYPEER, 1L);
    ok &= Set(CURLOPT_SSL_VERIFYHOST, 2L);
    if (limits.caFile) {
        ok &= Set(CURLOPT_CAINFO, limits.caFile->c_str());
    }
    ok &= Set(CURLOPT_WRITEFUNCTION, &WriteBody);
    ok &= Set(CURLOPT_WRITEDATA, static_cast<void*>(&state));
    ok &= Set(CURLOPT_HEADERFUNCTION, &WriteHeader);
    ok &= Set(CURLOPT_HEADERDATA, static_cast<void*>(&state));
    ok &= Set(CURLOPT_PREREQFUNCTION, &ConnectionReady);
    ok &= Set(CURLOPT_PREREQDATA, static_cast<void*>(&state));
    return ok;
}

bool FetchTransfer::Impl::SetRequestOptions(const HopRequest& request) {
    curl_slist* list = nullptr;
    for (const std::string& line : request.headerLines) {
        curl_slist* longer = curl_slist_append(list, line.c_str());
        if (longer == nullptr) {
            curl_slist_free_all(list);
            return false;
        }
        list = longer;
    }
    // The old list stays alive until the new one is set: libcurl keeps only the pointer.
    HeaderList previous = std::move(headerList);
    headerList.reset(list);

    bool ok = true;
    ok &= Set(CURLOPT_URL, request.url.c_str());
    ok &= Set(CURLOPT_REQUEST_TARGET, request.target ? request.target->c_str() : nullptr);
    ok &= Set(CURLOPT_HTTPHEADER, headerList.get());
    if (request.post) {
        // Never a null pointer: with POST set and no data libcurl would read the body from
        // its default read function.
        static const char kNoBody[] = "";
        ok &= Set(CURLOPT_POST, 1L);
        ok &= Set(CURLOPT_POSTFIELDS, request.body.empty() ? kNoBody : request.body.data());
        ok &= Set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        ok &= Set(CURLOPT_CUSTOMREQUEST, request.verb == "POST" ? nullptr : request.verb.c_str());
    } else {
        ok &= Set(CURLOPT_HTTPGET, 1L);
        ok &= Set(CURLOPT_CUSTOMREQUEST, static_cast<const char*>(nullptr));
    }
    return ok;
}

HopResult FetchTransfer::Impl::Run(const HopRequest& request) {
    HopResult result;
    state.Reset();
    if (!ready || !SetRequestOptions(request)) {
        return result;
    }
    if (Cancelled()) {
        result.end = HopEnd::Cancelled;
        return result;
    }
    MultiAttachment attachment(multi.get(), easy.get());
    if (!attachment.Attached()) {
        return result;
    }

    bool timedOut = false;
    bool cancelled = false;
    curl_off_t uploaded = 0;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK || running == 0) {
            break;
        }
        const Clock::time_point now = Clock::now();
        curl_off_t uploadedNow = 0;
        curl_easy_getinfo(easy.get(), CURLINFO_SIZE_UPLOAD_T, &uploadedNow);
        if (uploadedNow > uploaded) {
            uploaded = uploadedNow;
            state.lastActivity = now;
        }
        // Once connected, the send time-out applies while the body is still going out and the
        // receive time-out afterwards. Before that, libcurl's connect time-out governs.
        std::chrono::milliseconds wait = kRoundWait;
        if (state.connected) {
            const bool sending =
                request.post && uploaded < static_cast<curl_off_t>(request.body.size());
            const auto limit = sending ? limits.sendTimeout : limits.receiveTimeout;
            const auto idle =
                std::chrono::duration_cast<std::chrono::milliseconds>(now - state.lastActivity);
            if (idle >= limit) {
                timedOut = true;
                break;
            }
            wait = std::min(wait, limit - idle);
        }
        curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(wait.count()), nullptr);

        // Time spent in the pump (a nested fetch, a dialog) is not time this transfer waited
        // for the network.
        const Clock::time_point pumpStart = Clock::now();
        RunPendingEventsPump();
        state.lastActivity += Clock::now() - pumpStart;
        if (Cancelled()) {
            cancelled = true;
            break;
        }
    }

    CURLcode code = CURLE_OK;
    bool done = false;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy.get()) {
            code = message->data.result;
            done = true;
        }
    }
    long status = 0;
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
    result.status = status;
    const char* location = nullptr;
    if (curl_easy_getinfo(easy.get(), CURLINFO_REDIRECT_URL, &location) == CURLE_OK &&
        location != nullptr) {
        result.redirectUrl = location;
    }

    if (cancelled) {
        result.end = HopEnd::Cancelled;
    } else if (timedOut) {
        result.end = HopEnd::TimedOut;
    } else if (state.tooLarge) {
        result.end = HopEnd::TooLarge;
    } else if (done && code == CURLE_OK) {
        result.end = HopEnd::Complete;
    } else {
        result.end = HopEnd::Failed;
    }
    return result;
}

FetchTransfer::FetchTransfer(const FetchLimits& limits, const std::optional<Text>& proxy,
                             bool keepHeaders, std::uint64_t generation)
    : impl_(std::make_unique<Impl>()) {
    impl_->limits = limits;
    impl_->generation = generation;
    impl_->state.keepHeaders = keepHeaders;
    impl_->state.cap = limits.maxBodyBytes;
    impl_->multi.reset(curl_multi_init());
    impl_->easy.reset(curl_easy_init());
    impl_->ready = impl_->multi && impl_->easy && impl_->SetCallOptions(proxy);
}

FetchTransfer::~FetchTransfer() = default;

bool FetchTransfer::Ready() const {
    return impl_->ready;
}

HopResult FetchTransfer::Run(const HopRequest& request) {
    return impl_->Run(request);
}

Text FetchTransfer::TakeBody() {
    return std::move(impl_->state.body);
}

Text FetchTransfer::TakeHeaders() {
    return std::move(impl_->state.headers);
}

}  // namespace qingwu::fetch
