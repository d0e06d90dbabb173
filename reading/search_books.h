#pragma once

#include "reading/reader_context.h"

namespace qingwu {

// Posts the title in 编辑框书名 to the search page of the website selected in 组合框1 and fills
// 超级列表框搜索结果, FoundBookIds and FoundIdPrefixes from the four patterns of its profile.
// Shows the search-results panel on success, one message otherwise. A search overtaken by a
// newer one (or by the window closing) stops without touching the newer one's results.
void SearchBooks(ReaderContext& ctx);

}  // namespace qingwu
