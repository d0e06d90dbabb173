#pragma once

#include <cstdint>
#include <vector>

#include "text/text.h"

namespace qingwu {

// The program-wide description of the open book and of the hits of the last search. Created
// empty at start, released at exit; each operation overwrites only the fields it writes.
struct OpenBookState {
    Text SiteName;   // 书库名称 of the open book's website
    Text BookTitle;  // a book is open when this is not empty
    Text Author;
    Text BookId;        // fills the placeholder 文章序号
    Text BookIdPrefix;  // fills the placeholder 文章子序号
    Text ChapterListAddress;
    Text ChapterPageAddress;   // a chapter's address is this followed by its number
    int32_t ChapterIndex = 0;  // 0-based row of the chapter shown
    Text ChapterTitle;
    std::vector<Text> FoundBookIds;     // element r belongs to search result row r
    std::vector<Text> FoundIdPrefixes;  // element r belongs to search result row r
};

}  // namespace qingwu
