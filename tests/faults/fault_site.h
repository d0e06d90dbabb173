#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/loopback_server.h"

namespace qingwu::test {

// A small novel website on the loopback server, in GBK, in the common shape the profiles expect
// (a search form, a result table, a chapter-list page, chapter pages), whose answers a test can
// replace one address at a time with a faulty one: a stall, a reset, a redirect loop, an error
// status, an endless body, another character set.
//
//   POST /search                    the result table of every book
//   GET  /book/<prefix>/<id>/       the chapter list: <dd><a href="N.html">第N章</a></dd>
//   GET  /book/<prefix>/<id>/N.html <div id="title">第N章 标题</div><div id="content">正文N</div>
class FaultSite {
  public:
    struct Book {
        std::string titleUtf8;
        std::string authorUtf8;
        std::string id;
        std::string prefix;
        int chapters = 3;
    };

    FaultSite();

    LoopbackServer& Server() { return server_; }

    // The books the search answers with (the default: one book 青梧 by 某甲, id 1234, prefix 1).
    // A title or author may hold any bytes of GBK text (given here as UTF-8).
    void SetBooks(std::vector<Book> books);
    // A book's pages with raw GBK text (a title that no UTF-8 text spells, for instance).
    void SetRawSearchPage(std::string gbkBody);

    // Answers requests for target ("/search", "/book/1/1234/", "/book/1/1234/2.html") with
    // response from now on; the other addresses keep their answers.
    void Override(const std::string& target, Response response);
    // Chapter page N of the first book with the given content (GBK), title and markers as usual.
    void SetChapterContent(int n, const std::string& gbkContent);

    // Paths of the first book's pages.
    std::string ListPath() const;
    std::string ChapterPath(int n) const;

    // The INSERT statement (UTF-8) of a profile row named nameUtf8 for this site. searchUrl
    // replaces the search page address when given.
    std::string ProfileSql(const std::string& nameUtf8, const std::string& searchUrl = {}) const;

  private:
    Response Answer(const RecordedRequest& request);

    LoopbackServer server_;
    mutable std::mutex mutex_;
    std::vector<Book> books_;
    std::string rawSearchPage_;
    std::map<std::string, Response> overrides_;
    std::map<int, std::string> chapterContents_;
};

// The GBK bytes of a UTF-8 literal.
std::string Gbk(const std::string& utf8);

// text with every ' doubled, for an SQL literal in a test's own setup statements.
std::string SqlQuoted(const std::string& text);

}  // namespace qingwu::test
