#include "bench/support/bench_pages.h"

#include <cstdint>
#include <vector>

#include "demo/pages.h"
#include "text/gbk.h"

namespace qingwu::bench {
namespace {

// Common characters of Chinese fiction, UTF-8, three bytes each.
constexpr std::string_view kCharacters =
    "天地玄黄宇宙洪荒日月盈昃辰宿列张寒来暑往秋收冬藏风云雷电山川河海江湖剑气刀光"
    "青梧书屋少年英雄城门客栈夜雨孤灯长安洛阳烟火人间春花秋月明心见性道法自然"
    "的一是了我不在人有他这中大来上个们到说时要就出会可也你对生能而子那得于着下"
    "自之年过发后作里用道行所然家种事成方多经么去法学如都同现当没动面起看定天分";

// A small linear congruential generator: the same pages on every run.
class Chars {
  public:
    explicit Chars(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    std::string_view Next() {
        state_ = state_ * 1664525u + 1013904223u;
        const std::size_t count = kCharacters.size() / 3;
        return kCharacters.substr(((state_ >> 8) % count) * 3, 3);
    }
    uint32_t Below(uint32_t n) {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % n;
    }

  private:
    uint32_t state_;
};

demo::Book NamesOnlyBook(int chapters) {
    demo::Book book;
    book.id = 1001;
    book.idPrefix = 1;
    book.title = "青梧长卷";
    book.author = "佚名";
    book.chapters.reserve(static_cast<std::size_t>(chapters));
    for (int n = 1; n <= chapters; ++n) {
        book.chapters.push_back(demo::Chapter{ChapterName(n), {}});
    }
    return book;
}

}  // namespace

std::string ChapterName(int n) {
    Chars chars(static_cast<uint32_t>(n));
    std::string name = "第" + std::to_string(n) + "章 ";
    const uint32_t length = 4 + chars.Below(7);
    for (uint32_t i = 0; i < length; ++i) {
        name += chars.Next();
    }
    return name;
}

Text ChapterListPage(int chapters) {
    return Utf8ToGbk(demo::RenderChapterList(NamesOnlyBook(chapters)));
}

Text ChapterPage(int n, int chapters, std::size_t chapterBytes) {
    // Only the chapter shown needs its lines; the chapters after it only decide whether the page
    // links to a next one.
    demo::Book book;
    book.id = 1001;
    book.idPrefix = 1;
    book.title = "青梧长卷";
    book.chapters.resize(static_cast<std::size_t>(n < chapters ? n + 1 : chapters));
    demo::Chapter& chapter = book.chapters.at(static_cast<std::size_t>(n - 1));
    chapter.name = ChapterName(n);
    Chars chars(static_cast<uint32_t>(n) + 7777u);
    // A GBK character is two bytes; each line adds about 60 characters and its markup.
    std::size_t bytes = 0;
    while (bytes < chapterBytes) {
        std::string line;
        const uint32_t length = 30 + chars.Below(60);
        for (uint32_t i = 0; i < length; ++i) {
            line += chars.Next();
        }
        line += "。";
        bytes += 2 * (length + 1) + 24 + 6;  // "&nbsp;" x4 and "<br />\n"
        chapter.lines.push_back(std::move(line));
        chapter.lines.emplace_back();
    }
    return Utf8ToGbk(demo::RenderChapterPage(book, static_cast<std::size_t>(n)));
}

Text SearchResultsPage(const std::string& keyUtf8, int hits) {
    std::vector<demo::Book> books(static_cast<std::size_t>(hits));
    std::vector<const demo::Book*> found;
    for (int i = 0; i < hits; ++i) {
        demo::Book& book = books[static_cast<std::size_t>(i)];
        book.id = 1001 + i;
        book.idPrefix = 1;
        Chars chars(static_cast<uint32_t>(i) + 99u);
        book.title = keyUtf8 + std::string(chars.Next()) + std::string(chars.Next()) + "录";
        book.author = std::string(chars.Next()) + std::string(chars.Next());
        book.chapters.resize(100 + static_cast<std::size_t>(i));
        found.push_back(&book);
    }
    return Utf8ToGbk(demo::RenderSearchResults(keyUtf8, found));
}

Text LargePage(std::size_t bytes) {
    const Text list = ChapterListPage(1000);
    Text page;
    page.reserve(bytes + list.size());
    while (page.size() + list.size() < bytes) {
        page += list;
    }
    page += Utf8ToGbk("<div id=\"content\">正文在此。</div>");
    return page;
}

}  // namespace qingwu::bench
