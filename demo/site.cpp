#include "demo/site.h"

#include <utility>

#include "demo/pages.h"
#include "text/gbk.h"

namespace qingwu::demo {
namespace {

constexpr std::string_view kSearchPath = "/modules/article/search.php";

}  // namespace

Site::Site(std::vector<Book> books) : books_(std::move(books)) {
    pages_.emplace("/", Utf8ToGbk(RenderIndex(books_)));
    pages_.emplace("/index.html", pages_.at("/"));
    for (const Book& book : books_) {
        const std::string base = BookPath(book);
        pages_.emplace(base, Utf8ToGbk(RenderChapterList(book)));
        for (std::size_t n = 1; n <= book.chapters.size(); ++n) {
            pages_.emplace(base + std::to_string(n) + ".html",
                           Utf8ToGbk(RenderChapterPage(book, n)));
        }
    }
}

HttpResponse ErrorResponse(int status) {
    return HttpResponse{status, Utf8ToGbk(RenderErrorPage(status)), {}};
}

std::string Site::BookPath(const Book& book) {
    return "/book/" + std::to_string(book.idPrefix) + "/" + std::to_string(book.id) + "/";
}

HttpResponse Site::Handle(const HttpRequest& request) const {
    const std::string path = request.Path();
    const bool isGet = request.method == "GET" || request.method == "HEAD";
    if (path == kSearchPath) {
        if (request.method == "POST") {
            return Search(FormField(request.body, "searchkey").value_or(Text()));
        }
        if (isGet) {
            return Search(FormField(request.Query(), "searchkey").value_or(Text()));
        }
        return ErrorResponse(405);
    }
    if (!isGet) {
        return ErrorResponse(405);
    }
    if (const auto page = pages_.find(path); page != pages_.end()) {
        return HttpResponse{200, page->second, {}};
    }
    // A book address without its closing slash: send the browser to the chapter list.
    if (!path.empty() && path.back() != '/' && pages_.count(path + "/") != 0) {
        return HttpResponse{301, {}, path + "/"};
    }
    return ErrorResponse(404);
}

HttpResponse Site::Search(const Text& gbkKey) const {
    const std::string key = GbkToUtf8(gbkKey);
    return HttpResponse{
        200, Utf8ToGbk(RenderSearchResults(key, FindBooksByTitle(books_, key))), {}};
}

}  // namespace qingwu::demo
