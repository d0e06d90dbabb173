#pragma once

#include <cstddef>
#include <string>

#include "text/text.h"

namespace qingwu::bench {

// Pages for the benchmarks in the demo site's markup (demo/pages.h), encoded to GBK. Chapter
// names and texts are generated deterministically from a table of common Chinese characters, so
// sizes are those of a real website: a chapter-list line is about 60 bytes, a chapter page about
// chapterBytes.

// The chapter name of chapter n (from 1), e.g. "第12章 风起青萍之末" (UTF-8).
std::string ChapterName(int n);

// The chapter-list page of a book with the given number of chapters.
Text ChapterListPage(int chapters);

// The page of chapter n (from 1) of a book with `chapters` chapters, its text about
// chapterBytes bytes of GBK.
Text ChapterPage(int n, int chapters, std::size_t chapterBytes);

// The search result page with `hits` books (ids 1001.., prefix 1).
Text SearchResultsPage(const std::string& keyUtf8, int hits);

// A page of about `bytes` bytes: the chapter-list page markup repeated until it is that large,
// ending with a marker pair "<div id=\"content\">" .. "</div>" near its end.
Text LargePage(std::size_t bytes);

}  // namespace qingwu::bench
