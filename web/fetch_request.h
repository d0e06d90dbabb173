#pragma once

#include <optional>
#include <string>
#include <vector>

#include "text/text.h"

namespace qingwu::fetch {

// The user agent every request presents.
inline constexpr TextView kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// The verb of the request: the caller's spelling when it reads "POST" ignoring case, else "GET".
Text ChooseVerb(const std::optional<Text>& method);

// The caller's header block followed by the default lines it lacks, in this order: Accept,
// Referer (the address itself), Accept-Language. A default counts as present when its name
// ("Accept: ", "Referer: ", "Accept-Language: ") occurs anywhere in the block built so far,
// ignoring case, so "X-Accept: 1" also holds back the Accept line.
Text WithDefaultHeaders(Text block, TextView url);

// The header list handed to libcurl for a block. Lines are split at CR and LF (a stray line break
// cannot smuggle a line in), empty lines are dropped, and a line with an empty value is written
// "Name;" so that libcurl sends it instead of reading it as a removal. For a POST, the
// Content-Type and Content-Length lines of a non-empty body follow, and libcurl's own
// Content-Type, Content-Length (empty body) and Expect lines are switched off. libcurl's own
// "Accept: */*" is always switched off: the block alone decides the Accept line.
std::vector<std::string> CurlHeaderLines(TextView block, bool post, std::size_t bodySize);

// The request target sent on the request line: the path with its query exactly as the address
// gives it, the fragment dropped, spaces and control bytes percent-encoded.
Text RequestTarget(TextView path);

// The address libcurl parses for connecting, cookies and resolving redirects: scheme, host,
// the port when one is named (0 means the scheme's default), and the target with every byte
// outside printable ASCII percent-encoded.
Text CurlUrl(bool https, TextView host, int port, TextView target);

// The absolute-form target a plain HTTP proxy receives instead of the path.
Text ProxyTarget(TextView host, int port, TextView target);

// True when the host can go on the wire as a host name: ASCII letters, digits, '.', '-', '_' or
// bytes of 0x80 and above, and not empty. Anything else ('@', spaces, brackets) would make libcurl
// read the address differently from the way it was split.
bool IsUsableHost(TextView host);

}  // namespace qingwu::fetch
