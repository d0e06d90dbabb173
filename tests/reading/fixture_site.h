#pragma once

#include <string>
#include <vector>

#include "tests/support/loopback_server.h"
#include "text/text.h"

namespace qingwu::test {

// A small novel website on the loopback server, in GBK, with a profile row that describes it.
// The search result page holds the four kinds of hits in separate tags, so each pattern can be
// made to match a different number of times; books have a chapter-list page and chapter pages.
class FixtureSite {
  public:
    explicit FixtureSite(std::string name = "测试书库");

    LoopbackServer& Server() { return server_; }
    const std::string& Name() const { return name_; }

    // The INSERT statement (UTF-8) of this site's profile row for 书库信息.
    std::string ProfileSql() const;

    // The search result page: one tag per author, id, prefix and title, in page order.
    void SetSearchResults(const std::vector<std::string>& authorsUtf8,
                          const std::vector<std::string>& ids,
                          const std::vector<std::string>& prefixes,
                          const std::vector<std::string>& titlesUtf8);

    // A book whose chapters are named "第N章" and whose chapter N page holds the title
    // "第N章 标题" and the content "正文N" (N from 1, page names "N.html").
    void AddBook(const std::string& id, const std::string& prefix, int chapters);

    // Address of chapter page N of a book, as the reader builds it.
    std::string ChapterPath(const std::string& id, const std::string& prefix, int n) const;

    // Expected cut texts of chapter N (GBK).
    static Text ChapterTitle(int n);
    static Text ChapterContent(int n);

  private:
    LoopbackServer server_;
    std::string name_;
};

// The GBK bytes of a UTF-8 literal.
Text Gbk(const std::string& utf8);

}  // namespace qingwu::test
