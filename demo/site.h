#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "demo/corpus.h"
#include "demo/http_message.h"
#include "text/text.h"

namespace qingwu::demo {

// The demo novel website: answers a request with a GBK page. Every page but the search result
// is rendered and encoded once, when the site is built, so a request costs one lookup; the
// site is immutable afterwards and may answer from several threads at once.
//   GET  /                                  home page
//   POST /modules/article/search.php        title search, body "searchclass=1&searchkey=<title>"
//                                           (title as raw GBK bytes or percent-encoded); a GET
//                                           with the same query works too
//   GET  /book/{prefix}/{id}/               chapter list of a book
//   GET  /book/{prefix}/{id}/{n}.html       chapter n (from 1)
// Anything else is a 404 page; other methods than GET, HEAD and POST a 405.
class Site {
  public:
    explicit Site(std::vector<Book> books);

    HttpResponse Handle(const HttpRequest& request) const;

    const std::vector<Book>& Books() const { return books_; }

    // The address of a book's chapter list, e.g. "/book/1/1001/".
    static std::string BookPath(const Book& book);

  private:
    HttpResponse Search(const Text& gbkKey) const;

    std::vector<Book> books_;
    std::unordered_map<std::string, Text> pages_;  // path → GBK page
};

// A response with an error status and its GBK error page (the server's own errors, such as a
// malformed request, use it too).
HttpResponse ErrorResponse(int status);

}  // namespace qingwu::demo
