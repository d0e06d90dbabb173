#include "tests/reading/fixture_site.h"

#include "text/gbk.h"

namespace qingwu::test {
namespace {

// Doubles the quotes of a UTF-8 value for an SQL literal in test setup statements.
std::string Quote(const std::string& value) {
    std::string out = "'";
    for (char c : value) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out + "'";
}

}  // namespace

Text Gbk(const std::string& utf8) {
    return Utf8ToGbk(utf8);
}

FixtureSite::FixtureSite(std::string name) : name_(std::move(name)) {}

std::string FixtureSite::ProfileSql() const {
    const std::string base = server_.Url("/");
    const std::vector<std::string> values = {
        name_,
        server_.Url("/modules/search.php"),
        "<author>(.*?)</author>",
        "<bookid>(\\d+)</bookid>",
        "<prefix>(\\d+)</prefix>",
        "<title>(.*?)</title>",
        "",
        "",
        base + "book/文章子序号/文章序号/index.html",
        base + "book/文章子序号/文章序号/",
        "<li><a href=\"(\\d+\\.html)\">(.*?)</a></li>",
        "",
        "",
        "",
        "",
        "<h1>",
        "</h1>",
        "<div id=\"content\">",
        "</div>",
    };
    std::string sql = "INSERT INTO 书库信息 VALUES (";
    for (size_t i = 0; i < values.size(); ++i) {
        sql += (i ? ", " : "") + Quote(values[i]);
    }
    return sql + ");";
}

void FixtureSite::SetSearchResults(const std::vector<std::string>& authorsUtf8,
                                   const std::vector<std::string>& ids,
                                   const std::vector<std::string>& prefixes,
                                   const std::vector<std::string>& titlesUtf8) {
    std::string page = "<html><body><table>\n";
    for (const auto& a : authorsUtf8) {
        page += "<author>" + a + "</author>\n";
    }
    for (const auto& id : ids) {
        page += "<bookid>" + id + "</bookid>\n";
    }
    for (const auto& p : prefixes) {
        page += "<prefix>" + p + "</prefix>\n";
    }
    for (const auto& t : titlesUtf8) {
        page += "<title>" + t + "</title>\n";
    }
    page += "</table></body></html>\n";
    server_.Route("POST", "/modules/search.php", GbkPage(Gbk(page)));
}

void FixtureSite::AddBook(const std::string& id, const std::string& prefix, int chapters) {
    std::string list = "<html><body><ul>\n";
    for (int n = 1; n <= chapters; ++n) {
        list += "<li><a href=\"" + std::to_string(n) + ".html\">第" + std::to_string(n) +
                "章</a></li>\n";
    }
    list += "</ul></body></html>\n";
    server_.Route("GET", "/book/" + prefix + "/" + id + "/index.html", GbkPage(Gbk(list)));
    for (int n = 1; n <= chapters; ++n) {
        const Text page = "<html><body><h1>" + ChapterTitle(n) + "</h1><div id=\"content\">" +
                          ChapterContent(n) + "</div></body></html>";
        server_.Route("GET", ChapterPath(id, prefix, n), GbkPage(page));
    }
}

std::string FixtureSite::ChapterPath(const std::string& id, const std::string& prefix,
                                     int n) const {
    return "/book/" + prefix + "/" + id + "/" + std::to_string(n) + ".html";
}

Text FixtureSite::ChapterTitle(int n) {
    return Gbk("第" + std::to_string(n) + "章 标题");
}

Text FixtureSite::ChapterContent(int n) {
    return Gbk("正文" + std::to_string(n) + "<br />");
}

}  // namespace qingwu::test
