#pragma once

#include "text/text.h"

namespace qingwu {

// Address splitting for FetchPage. "http://" and "https://" prefixes are recognised in any
// letter case.
Text UrlHost(const Text& url);  // host, lower-cased (ASCII letters only)
int UrlPort(const Text& url);   // port named in the address; 80 (443 for https) when none
Text UrlPath(const Text& url);  // path with query, "/" when none
bool UrlIsHttps(const Text& url);

}  // namespace qingwu
