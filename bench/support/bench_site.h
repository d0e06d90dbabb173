#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/loopback_server.h"
#include "tests/support/temp_run_dir.h"
#include "text/text.h"

namespace qingwu::bench {

// The demo website's pages served by a loopback server on 127.0.0.1 (port of the system's
// choosing), for the benchmarks: a search page with a chosen number of hits and books of any
// number of chapters, all under the addresses of the delivered profile row 青梧书屋.
//   POST /modules/article/search.php   the search result page
//   GET  /book/1/{id}/                 the chapter list of book id
//   GET  /book/1/{id}/{n}.html         chapter n; the first kCachedChapters chapters are made
//                                      when the book is added, later ones repeat them
class BenchSite {
  public:
    static constexpr int kCachedChapters = 64;

    BenchSite();

    // Adds book `id` (prefix 1) with the given number of chapters, each page about
    // chapterBytes. Call before the reader asks for it.
    void AddBook(int id, int chapters, std::size_t chapterBytes = 10 << 10);
    // The search answers with `hits` books, ids 1001.. (the first book added should be 1001).
    void SetSearchHits(int hits);

    // "http://127.0.0.1:<port>".
    std::string Origin() const { return server_.Url(""); }
    test::LoopbackServer& Server() { return server_; }

    // Rewrites the delivered 青梧书屋 row of the run directory's sk.mdb to this server's origin;
    // false (with SQLite's message on stderr) when the update fails.
    bool PointProfileAt(const test::TempRunDir& runDir) const;

    // The bytes of book id's chapter-list page (empty for an unknown book).
    Text ChapterList(int id) const;

  private:
    struct Book {
        Text list;
        std::vector<Text> chapters;  // pages of chapters 1..kCachedChapters
    };

    test::Response Answer(const test::RecordedRequest& request);

    mutable std::mutex mutex_;
    std::map<int, Book> books_;
    Text searchPage_;
    test::LoopbackServer server_;  // last: it stops before the pages it serves go
};

// The site name of the delivered profile row the benchmarks use, GBK.
Text SiteName();

}  // namespace qingwu::bench
