#include "tests/faults/fault_site.h"

#include <utility>

#include "text/gbk.h"

namespace qingwu::test {

std::string Gbk(const std::string& utf8) {
    return Utf8ToGbk(utf8);
}

std::string SqlQuoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out + "'";
}

FaultSite::FaultSite()
    : server_([this](const RecordedRequest& request, std::size_t) { return Answer(request); }),
      books_{{"青梧", "某甲", "1234", "1", 3}} {}

void FaultSite::SetBooks(std::vector<Book> books) {
    std::lock_guard lock(mutex_);
    books_ = std::move(books);
}

void FaultSite::SetRawSearchPage(std::string gbkBody) {
    std::lock_guard lock(mutex_);
    rawSearchPage_ = std::move(gbkBody);
}

void FaultSite::Override(const std::string& target, Response response) {
    std::lock_guard lock(mutex_);
    overrides_[target] = std::move(response);
}

void FaultSite::SetChapterContent(int n, const std::string& gbkContent) {
    std::lock_guard lock(mutex_);
    chapterContents_[n] = gbkContent;
}

std::string FaultSite::ListPath() const {
    std::lock_guard lock(mutex_);
    return "/book/" + books_.at(0).prefix + "/" + books_.at(0).id + "/";
}

std::string FaultSite::ChapterPath(int n) const {
    return ListPath() + std::to_string(n) + ".html";
}

std::string FaultSite::ProfileSql(const std::string& nameUtf8, const std::string& searchUrl) const {
    const std::string base = server_.Url("");
    const std::string search = searchUrl.empty() ? base + "/search" : searchUrl;
    const std::string book = base + "/book/文章子序号/文章序号/";
    const std::vector<std::string> values = {
        nameUtf8,
        search,
        R"re(<td class="even">([^<]*)</td>)re",
        R"re(<td class="odd"><a href="/book/[^/]+/([^/]+)/">)re",
        R"re(<td class="odd"><a href="/book/([^/]+)/[^/]+/">)re",
        R"re(<td class="odd"><a href="/book/[^/]+/[^/]+/">([^<]*)</a></td>)re",
        "/\">",
        "</a></td>",
        book,
        book,
        R"re(<dd><a href="(\d+\.html)">([^<]*)</a></dd>)re",
        "<dd><a href=\"",
        "\">",
        "\">",
        "</a></dd>",
        "<div id=\"title\">",
        "</div>",
        "<div id=\"content\">",
        "</div>",
    };
    std::string sql = "INSERT INTO 书库信息 VALUES (";
    for (std::size_t i = 0; i < values.size(); ++i) {
        sql += (i == 0 ? "" : ", ") + SqlQuoted(values[i]);
    }
    return sql + ");";
}

Response FaultSite::Answer(const RecordedRequest& request) {
    std::lock_guard lock(mutex_);
    if (const auto found = overrides_.find(request.target); found != overrides_.end()) {
        return found->second;
    }
    if (request.target == "/search") {
        if (!rawSearchPage_.empty()) {
            return GbkPage(rawSearchPage_);
        }
        std::string page = Gbk("<html><body><table><tr><th>书名</th><th>作者</th></tr>");
        for (const Book& book : books_) {
            page += "<tr><td class=\"odd\"><a href=\"/book/" + book.prefix + "/" + book.id +
                    "/\">" + Gbk(book.titleUtf8) + "</a></td><td class=\"even\">" +
                    Gbk(book.authorUtf8) + "</td></tr>";
        }
        return GbkPage(page + "</table></body></html>");
    }
    for (const Book& book : books_) {
        const std::string list = "/book/" + book.prefix + "/" + book.id + "/";
        if (request.target == list) {
            std::string page = "<html><body><dl>";
            for (int n = 1; n <= book.chapters; ++n) {
                page += "<dd><a href=\"" + std::to_string(n) + ".html\">" +
                        Gbk("第" + std::to_string(n) + "章") + "</a></dd>";
            }
            return GbkPage(page + "</dl></body></html>");
        }
        if (request.target.rfind(list, 0) == 0) {
            const int n = std::atoi(request.target.c_str() + list.size());
            std::string content = Gbk("正文" + std::to_string(n));
            if (const auto custom = chapterContents_.find(n); custom != chapterContents_.end()) {
                content = custom->second;
            }
            return GbkPage("<html><body><div id=\"title\">" +
                           Gbk("第" + std::to_string(n) + "章 标题") +
                           "</div><div id=\"content\">" + content + "</div></body></html>");
        }
    }
    return NotFound();
}

}  // namespace qingwu::test
