#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qingwu::demo {

// One chapter of a demo book: its name as the chapter list shows it and its text lines
// (an empty line is a paragraph break). UTF-8.
struct Chapter {
    std::string name;
    std::vector<std::string> lines;
};

// One book of the demo site. The site addresses it as /book/{idPrefix}/{id}/; chapters are
// numbered from 1 in the order of the vector. Texts are UTF-8.
struct Book {
    int id = 0;
    int idPrefix = 0;
    std::string title;
    std::string author;
    std::vector<Chapter> chapters;
};

// The kind of text file a book is read from; each has its own entry layout.
enum class FortuneLayout {
    kPoems,  // "《title》" (maybe after "题目:"), "作者：name" (maybe with dates), the poem
    kSayings,  // the saying, then an optional source line "    -- source"
};

// Splits a fortune file into its entries: entries are separated by lines holding only "%";
// terminal colour sequences (ESC [ ... m) are removed and characters that GBK cannot hold are
// replaced by their nearest GBK neighbour. Empty entries are dropped.
std::vector<std::string> SplitFortuneEntries(std::string_view fileText);

// Builds the chapters of a book from the entries of one fortune file. Entries that do not fit
// the layout are skipped: for kSayings every entry holding a Latin letter (the file mixes
// manuals and software quotations with the classical sayings), for the poem layouts an entry
// without its title and author lines.
std::vector<Chapter> ChaptersFromEntries(const std::vector<std::string>& entries,
                                         FortuneLayout layout);

// The author label of a poem collection: the poet with the most chapters followed by "等"
// (ties go to the poet met first); empty when no chapter names a poet.
std::string CollectionAuthor(const std::vector<std::string>& entries, FortuneLayout layout);

// The books of the site: one per fortune file found in textsDir (tang300.u8 → 唐诗三百首,
// song100.u8 → 宋词一百首, chinese.u8 → 古文名句集); when none of them can be read, the small
// built-in book, so the site always has something to serve. Never fails.
std::vector<Book> LoadBooks(const std::filesystem::path& textsDir);

// The built-in book (a few chapters written for the demo site).
Book BuiltInBook();

// Where Debian's fortunes-zh package keeps its texts.
inline constexpr std::string_view kDefaultTextsDir = "/usr/share/games/fortunes";

}  // namespace qingwu::demo
