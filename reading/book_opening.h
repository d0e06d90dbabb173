#pragma once

#include "reading/reader_context.h"

namespace qingwu {

// The template with every "文章子序号" replaced by idPrefix, then every "文章序号" by bookId.
Text FillAddressTemplate(const Text& addressTemplate, const Text& bookId, const Text& idPrefix);

// Opens the selected search result: addresses from the searched website's templates, chapter
// list fetched and parsed, chapter 0 shown. Does nothing without a usable selected row.
void OpenSearchResult(ReaderContext& ctx);

// Opens the selected shelf entry at its stored chapter.
void OpenShelfEntry(ReaderContext& ctx);

// Fetches ChapterListAddress and fills 超级列表框章节列表 and 超级列表框页面列表.
void LoadChapterList(ReaderContext& ctx);

// Fills both chapter lists from a chapter-list page with the open book's chapter pattern.
void ParseChapterList(ReaderContext& ctx, const Text& page);

}  // namespace qingwu
