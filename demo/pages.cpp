#include "demo/pages.h"

namespace qingwu::demo {
namespace {

std::string BookAddress(const Book& book) {
    return "/book/" + std::to_string(book.idPrefix) + "/" + std::to_string(book.id) + "/";
}

std::string PageHead(std::string_view title) {
    std::string out = "<!DOCTYPE html>\n<html>\n<head>\n<title>";
    out += HtmlEscape(title);
    out += "</title>\n</head>\n<body>\n";
    return out;
}

constexpr std::string_view kPageFoot = "</body>\n</html>\n";

std::string SiteHeader() {
    std::string out = "<div class=\"header\"><a href=\"/\">";
    out += kSiteName;
    out += "</a> <span>经典诗文 在线阅读</span></div>\n";
    return out;
}

std::string SearchForm() {
    return "<form name=\"articlesearch\" method=\"post\" action=\"/modules/article/search.php\">\n"
           "<input type=\"hidden\" name=\"searchclass\" value=\"1\" />\n"
           "<input type=\"text\" name=\"searchkey\" size=\"30\" maxlength=\"50\" />\n"
           "<input type=\"submit\" value=\"搜索\" />\n"
           "</form>\n";
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string RenderIndex(const std::vector<Book>& books) {
    std::string out = PageHead(std::string(kSiteName) + " - 首页");
    out += SiteHeader();
    out += SearchForm();
    out += "<div class=\"booklist\">\n<h2>全部书籍</h2>\n<ul>\n";
    for (const Book& book : books) {
        out += "<li><a href=\"" + BookAddress(book) + "\">" + HtmlEscape(book.title) + "</a> " +
               HtmlEscape(book.author) + " 共" + std::to_string(book.chapters.size()) + "章</li>\n";
    }
    out += "</ul>\n</div>\n";
    out += kPageFoot;
    return out;
}

std::string RenderSearchResults(std::string_view key, const std::vector<const Book*>& hits) {
    std::string out = PageHead(std::string(kSiteName) + " - 搜索结果");
    out += SiteHeader();
    out += SearchForm();
    out += "<div id=\"content\">\n<table class=\"grid\" width=\"100%\" align=\"center\">\n";
    out += "<caption>搜索“" + HtmlEscape(key) + "”的结果</caption>\n";
    out += "<tr align=\"center\"><th>书名</th><th>作者</th><th>章节数</th><th>状态</th></tr>\n";
    for (const Book* book : hits) {
        out += "<tr><td class=\"odd\"><a href=\"" + BookAddress(*book) + "\">" +
               HtmlEscape(book->title) + "</a></td><td class=\"even\">" + HtmlEscape(book->author) +
               "</td><td class=\"odd\" align=\"center\">" + std::to_string(book->chapters.size()) +
               "</td><td class=\"even\" align=\"center\">完本</td></tr>\n";
    }
    out += "</table>\n";
    if (hits.empty()) {
        out += "<p class=\"notice\">没有找到相关书籍，请换一个书名再试。</p>\n";
    }
    out += "</div>\n";
    out += kPageFoot;
    return out;
}

std::string RenderChapterList(const Book& book) {
    std::string out;
    out.reserve(256 + book.chapters.size() * 80);
    out += PageHead(book.title + " 最新章节列表 - " + std::string(kSiteName));
    out += SiteHeader();
    out += "<div id=\"info\">\n<h1>" + HtmlEscape(book.title) + "</h1>\n<p>作者：" +
           HtmlEscape(book.author) + "</p>\n</div>\n";
    out += "<div id=\"list\">\n<dl>\n<dt>《" + HtmlEscape(book.title) + "》正文</dt>\n";
    for (std::size_t n = 1; n <= book.chapters.size(); ++n) {
        out += "<dd><a href=\"";
        out += std::to_string(n);
        out += ".html\">";
        out += HtmlEscape(book.chapters[n - 1].name);
        out += "</a></dd>\n";
    }
    out += "</dl>\n</div>\n";
    out += kPageFoot;
    return out;
}

std::string RenderChapterPage(const Book& book, std::size_t number) {
    const Chapter& chapter = book.chapters.at(number - 1);
    std::string out = PageHead(chapter.name + " - " + book.title + " - " + std::string(kSiteName));
    out += SiteHeader();
    std::string nav = "<div class=\"nav\">";
    nav += number > 1 ? "<a href=\"" + std::to_string(number - 1) + ".html\">上一章</a>"
                      : std::string("<span>上一章</span>");
    nav += " | <a href=\"./\">章节目录</a> | ";
    nav += number < book.chapters.size()
               ? "<a href=\"" + std::to_string(number + 1) + ".html\">下一章</a>"
               : std::string("<span>下一章</span>");
    nav += "</div>\n";
    out += "<div class=\"bookname\">\n<div id=\"title\">" + HtmlEscape(chapter.name) + "</div>\n";
    out += nav;
    out += "</div>\n";
    // The text begins with a line break so that it does not run on from the title when a
    // reader shows the two cut pieces side by side.
    out += "<div id=\"content\"><br />\n";
    for (const std::string& line : chapter.lines) {
        if (!line.empty()) {
            out += "&nbsp;&nbsp;&nbsp;&nbsp;";
            out += HtmlEscape(line);
        }
        out += "<br />\n";
    }
    out += "</div>\n";
    out += nav;
    out += kPageFoot;
    return out;
}

std::string RenderErrorPage(int status) {
    std::string_view what;
    switch (status) {
        case 404:
            what = "页面不存在";
            break;
        case 405:
            what = "不支持的请求方法";
            break;
        case 413:
        case 431:
            what = "请求过大";
            break;
        case 501:
            what = "不支持的请求编码";
            break;
        case 503:
            what = "服务器繁忙，请稍后再试";
            break;
        default:
            what = "请求有误";
    }
    std::string out = PageHead(std::string(kSiteName) + " - " + std::string(what));
    out += SiteHeader();
    out += "<h1>" + std::to_string(status) + " " + std::string(what) + "</h1>\n";
    out += "<p>请返回<a href=\"/\">首页</a>。</p>\n";
    out += kPageFoot;
    return out;
}

std::vector<const Book*> FindBooksByTitle(const std::vector<Book>& books, std::string_view key) {
    std::vector<const Book*> hits;
    if (key.empty()) {
        return hits;
    }
    for (const Book& book : books) {
        if (book.title.find(key) != std::string::npos) {
            hits.push_back(&book);
        }
    }
    return hits;
}

}  // namespace qingwu::demo
