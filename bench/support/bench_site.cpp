#include "bench/support/bench_site.h"

#include <charconv>
#include <string_view>

#include "bench/support/bench_pages.h"
#include "text/gbk.h"

namespace qingwu::bench {
namespace {

constexpr std::string_view kSearchPath = "/modules/article/search.php";
constexpr std::string_view kBookPrefix = "/book/1/";

// The leading decimal number of text, or -1; `rest` receives what follows it.
int LeadingNumber(std::string_view text, std::string_view& rest) {
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc()) {
        return -1;
    }
    rest = text.substr(static_cast<std::size_t>(end - text.data()));
    return value;
}

}  // namespace

Text SiteName() {
    return Utf8ToGbk("青梧书屋");
}

BenchSite::BenchSite()
    : server_(
          [this](const test::RecordedRequest& request, std::size_t) { return Answer(request); }) {}

void BenchSite::AddBook(int id, int chapters, std::size_t chapterBytes) {
    Book book;
    book.list = ChapterListPage(chapters);
    const int cached = chapters < kCachedChapters ? chapters : kCachedChapters;
    for (int n = 1; n <= cached; ++n) {
        book.chapters.push_back(ChapterPage(n, chapters, chapterBytes));
    }
    std::lock_guard lock(mutex_);
    books_[id] = std::move(book);
}

void BenchSite::SetSearchHits(int hits) {
    Text page = SearchResultsPage("青梧", hits);
    std::lock_guard lock(mutex_);
    searchPage_ = std::move(page);
}

Text BenchSite::ChapterList(int id) const {
    std::lock_guard lock(mutex_);
    const auto it = books_.find(id);
    return it != books_.end() ? it->second.list : Text();
}

test::Response BenchSite::Answer(const test::RecordedRequest& request) {
    const std::string_view target = request.target;
    std::lock_guard lock(mutex_);
    if (target == kSearchPath) {
        return test::GbkPage(searchPage_);
    }
    if (!target.starts_with(kBookPrefix)) {
        return test::NotFound();
    }
    std::string_view rest;
    const int id = LeadingNumber(target.substr(kBookPrefix.size()), rest);
    const auto book = books_.find(id);
    if (book == books_.end()) {
        return test::NotFound();
    }
    if (rest == "/") {
        return test::GbkPage(book->second.list);
    }
    std::string_view suffix;
    const int n = LeadingNumber(rest.substr(rest.starts_with('/') ? 1 : 0), suffix);
    const std::vector<Text>& pages = book->second.chapters;
    if (n < 1 || suffix != ".html" || pages.empty()) {
        return test::NotFound();
    }
    return test::GbkPage(pages[static_cast<std::size_t>(n - 1) % pages.size()]);
}

bool BenchSite::PointProfileAt(const test::TempRunDir& runDir) const {
    const std::string sql =
        "UPDATE 书库信息 SET "
        "书库网站搜索页地址 = replace(书库网站搜索页地址, 'http://127.0.0.1:18080', '" +
        Origin() +
        "'), "
        "网址章节列表页 = replace(网址章节列表页, 'http://127.0.0.1:18080', '" +
        Origin() +
        "'), "
        "网址章节内容页 = replace(网址章节内容页, 'http://127.0.0.1:18080', '" +
        Origin() + "') WHERE 书库名称 = '青梧书屋';";
    return runDir.ExecSk(sql);
}

}  // namespace qingwu::bench
