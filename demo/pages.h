#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "demo/corpus.h"

namespace qingwu::demo {

// The pages of the demo site as UTF-8 HTML (the site encodes them to GBK before sending).
// The markup is the common shape of Chinese novel websites, and every piece a website profile
// cuts out has markup of its own that occurs nowhere else on the page:
//   search results  one table row per book:
//                   <td class="odd"><a href="/book/{prefix}/{id}/">{title}</a></td>
//                   <td class="even">{author}</td> then cells with other attributes
//   chapter list    one line per chapter: <dd><a href="{n}.html">{name}</a></dd>
//   chapter page    <div id="title">{name}</div> and <div id="content">{text}</div>, the text
//                   as lines ended by <br />
// Every text taken from a book or from the request is HTML-escaped, so no text can close
// these elements early or forge one.

inline constexpr std::string_view kSiteName = "青梧书屋";

// Escapes & < > " so the text reads as itself inside an element or an attribute value.
std::string HtmlEscape(std::string_view text);

// The home page: the site name, a search form and a link to every book.
std::string RenderIndex(const std::vector<Book>& books);

// The result page of a title search for key (UTF-8) with the books found, in site order.
std::string RenderSearchResults(std::string_view key, const std::vector<const Book*>& hits);

// The chapter-list page of a book.
std::string RenderChapterList(const Book& book);

// The page of chapter number (from 1) of a book; number must be a chapter of the book.
std::string RenderChapterPage(const Book& book, std::size_t number);

// The page sent with an error status: the status code and a short explanation in Chinese.
std::string RenderErrorPage(int status);

// The books whose title contains key (UTF-8), in site order; an empty key finds nothing.
std::vector<const Book*> FindBooksByTitle(const std::vector<Book>& books, std::string_view key);

}  // namespace qingwu::demo
