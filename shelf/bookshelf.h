#pragma once

#include "reading/reader_context.h"

namespace qingwu {

// Rebuilds 超级列表框书架 from 书签列表.
void LoadShelfList(ReaderContext& ctx);

// Stores the open book with the chapter shown; refuses when no book is open or it is shelved.
void AddBookToShelf(ReaderContext& ctx);

// Saves ChapterTitle and ChapterIndex into the open book's shelf entry, when it has one.
void UpdateBookmark(ReaderContext& ctx);

// Deletes the entry of the selected shelf row (nothing without one).
void DeleteShelfEntry(ReaderContext& ctx);

// At closing: deletes the chapter page file, then offers to shelve an open book that is not on
// the shelf under any website.
void OfferShelfOnClose(ReaderContext& ctx);

}  // namespace qingwu
