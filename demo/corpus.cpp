#include "demo/corpus.h"

#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <utility>

namespace qingwu::demo {
namespace {

// Characters of the fortune texts that GBK lacks, with the GBK character a reader expects
// in their place (without this they would turn into '?').
constexpr std::pair<std::string_view, std::string_view> kGbkStandIns[] = {
    {"\u00A0", " "},       // no-break space
    {"\u30FB", "\u00B7"},  // katakana middle dot, used in poem titles ("感遇・其一")
    {"\u2027", "\u00B7"},  // hyphenation point
    {"\u2022", "\u00B7"},  // bullet
    {"\u00AB", "\u300A"},  // « → 《
    {"\u00BB", "\u300B"},  // » → 》
};

// Removes terminal colour sequences (ESC '[' digits and ';' 'm') and replaces the characters
// GBK cannot hold. One pass over the text.
std::string CleanText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\x1b' && i + 1 < text.size() && text[i + 1] == '[') {
            std::size_t j = i + 2;
            while (j < text.size() && ((text[j] >= '0' && text[j] <= '9') || text[j] == ';')) {
                ++j;
            }
            if (j < text.size() && text[j] == 'm') {
                i = j + 1;
                continue;
            }
        }
        if (static_cast<unsigned char>(c) >= 0xC2) {
            bool replaced = false;
            for (const auto& [from, to] : kGbkStandIns) {
                if (text.substr(i, from.size()) == from) {
                    out += to;
                    i += from.size();
                    replaced = true;
                    break;
                }
            }
            if (replaced) {
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

std::string_view TrimAscii(std::string_view s) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            if (start < text.size()) {
                lines.push_back(text.substr(start));
            }
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// "题目:《塞上》" → "《塞上》"; a title line without the label stays as it is.
std::string_view PoemTitle(std::string_view line) {
    for (std::string_view label : {"题目:", "题目："}) {
        if (StartsWith(line, label)) {
            return TrimAscii(line.substr(label.size()));
        }
    }
    return line;
}

// "作者:柳开（９４６－９９９）" → "柳开"; empty when the line names no poet.
std::string_view PoetName(std::string_view line) {
    for (std::string_view label : {"作者：", "作者:"}) {
        if (StartsWith(line, label)) {
            std::string_view name = TrimAscii(line.substr(label.size()));
            for (std::string_view open : {"（", "("}) {
                const std::size_t p = name.find(open);
                if (p != std::string_view::npos) {
                    name = TrimAscii(name.substr(0, p));
                }
            }
            return name;
        }
    }
    return {};
}

bool HasLatinLetter(std::string_view s) {
    for (char c : s) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            return true;
        }
    }
    return false;
}

// The first maxChars characters of a UTF-8 text, with "…" when something was cut.
std::string HeadOf(std::string_view s, std::size_t maxChars) {
    std::size_t chars = 0;
    std::size_t i = 0;
    while (i < s.size() && chars < maxChars) {
        const auto b = static_cast<unsigned char>(s[i]);
        i += b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        ++chars;
    }
    if (i >= s.size()) {
        return std::string(s);
    }
    return std::string(s.substr(0, i)) + "…";
}

std::optional<Chapter> PoemChapter(const std::vector<std::string_view>& lines) {
    if (lines.size() < 2) {
        return std::nullopt;
    }
    const std::string_view title = PoemTitle(TrimAscii(lines[0]));
    const std::string_view poet = PoetName(TrimAscii(lines[1]));
    if (title.find("《") == std::string_view::npos || poet.empty()) {
        return std::nullopt;
    }
    Chapter chapter;
    chapter.name = std::string(title) + " " + std::string(poet);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        chapter.lines.emplace_back(TrimAscii(lines[i]));
    }
    return chapter;
}

std::optional<Chapter> SayingChapter(const std::vector<std::string_view>& lines,
                                     std::size_t number) {
    std::vector<std::string_view> body(lines.begin(), lines.end());
    std::string source;
    if (!body.empty()) {
        const std::string_view last = TrimAscii(body.back());
        if (StartsWith(last, "--")) {
            source = std::string(TrimAscii(last.substr(2)));
            body.pop_back();
        }
    }
    while (!body.empty() && TrimAscii(body.front()).empty()) {
        body.erase(body.begin());
    }
    while (!body.empty() && TrimAscii(body.back()).empty()) {
        body.pop_back();
    }
    if (body.empty()) {
        return std::nullopt;
    }
    Chapter chapter;
    chapter.name = "第" + std::to_string(number) + "则 " + HeadOf(TrimAscii(body.front()), 20);
    for (std::string_view line : body) {
        chapter.lines.emplace_back(TrimAscii(line));
    }
    if (!source.empty()) {
        chapter.lines.push_back("——" + source);
    }
    return chapter;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::vector<std::string> SplitFortuneEntries(std::string_view fileText) {
    const std::string text = CleanText(fileText);
    std::vector<std::string> entries;
    std::string current;
    const auto flush = [&] {
        if (!TrimAscii(current).empty()) {
            while (!current.empty() && (current.back() == '\n' || current.back() == '\r')) {
                current.pop_back();
            }
            entries.push_back(std::move(current));
        }
        current.clear();
    };
    for (std::string_view line : SplitLines(text)) {
        if (TrimAscii(line) == "%") {
            flush();
            continue;
        }
        current.append(line);
        current += '\n';
    }
    flush();
    return entries;
}

std::vector<Chapter> ChaptersFromEntries(const std::vector<std::string>& entries,
                                         FortuneLayout layout) {
    std::vector<Chapter> chapters;
    chapters.reserve(entries.size());
    for (const std::string& entry : entries) {
        if (layout == FortuneLayout::kSayings && HasLatinLetter(entry)) {
            continue;
        }
        const std::vector<std::string_view> lines = SplitLines(entry);
        std::optional<Chapter> chapter = layout == FortuneLayout::kPoems
                                             ? PoemChapter(lines)
                                             : SayingChapter(lines, chapters.size() + 1);
        if (chapter) {
            chapters.push_back(std::move(*chapter));
        }
    }
    return chapters;
}

std::string CollectionAuthor(const std::vector<std::string>& entries, FortuneLayout layout) {
    if (layout != FortuneLayout::kPoems) {
        return {};
    }
    std::map<std::string, std::pair<int, std::size_t>> counts;  // poet → (chapters, first seen)
    for (const std::string& entry : entries) {
        const std::vector<std::string_view> lines = SplitLines(entry);
        if (lines.size() < 2) {
            continue;
        }
        const std::string_view poet = PoetName(TrimAscii(lines[1]));
        if (poet.empty()) {
            continue;
        }
        auto [it, inserted] = counts.try_emplace(std::string(poet), 0, counts.size());
        ++it->second.first;
    }
    const std::string* best = nullptr;
    std::pair<int, std::size_t> bestCount{0, 0};
    for (const auto& [poet, count] : counts) {
        if (best == nullptr || count.first > bestCount.first ||
            (count.first == bestCount.first && count.second < bestCount.second)) {
            best = &poet;
            bestCount = count;
        }
    }
    return best == nullptr ? std::string() : *best + "等";
}

Book BuiltInBook() {
    Book book;
    book.id = 3001;
    book.idPrefix = 3;
    book.title = "青梧小记";
    book.author = "青梧书屋";
    book.chapters = {
        {"第一章 书屋",
         {"城南有一间小小的书屋，门前种着两株梧桐。",
          "春天的时候，梧桐的叶子是青的，阳光从叶缝里落下来，照在门口的石阶上。", "",
          "书屋的主人每天清早开门，先扫一扫落叶，再把新到的书一本一本摆上架子。"}},
        {"第二章 来客",
         {"来书屋的人不多，多半是住在附近的学生和老人。",
          "学生喜欢坐在靠窗的位置，一坐就是一下午；老人却总爱站着翻书，说站着看得清楚。", "",
          "主人从不催人，只在傍晚点一盏灯，让还没读完的人把那一页读完。"}},
        {"第三章 雨夜",
         {"那年夏天雨水很多。一个雨夜，书屋里只剩下一位客人。",
          "他读的是一本旧诗集，读到一半，忽然抬头问：这本书还有下一卷吗？", "",
          "主人想了想，从柜子深处取出一个布包，里面正是那本书的下卷。"}},
        {"第四章 梧桐",
         {"许多年过去，城南的街道变了模样，书屋却还在原处。",
          "门前的两株梧桐已经长得比屋顶还高，秋天落下的叶子能铺满整条小巷。", "",
          "有人说，书屋之所以叫青梧，是因为主人盼着那些叶子永远是青的。"}},
    };
    return book;
}

std::vector<Book> LoadBooks(const std::filesystem::path& textsDir) {
    struct Source {
        const char* file;
        int id;
        const char* title;
        FortuneLayout layout;
        const char* defaultAuthor;
    };
    constexpr Source kSources[] = {
        {"tang300.u8", 1001, "唐诗三百首", FortuneLayout::kPoems, "唐代诸家"},
        {"song100.u8", 1002, "宋词一百首", FortuneLayout::kPoems, "宋代诸家"},
        {"chinese.u8", 2001, "古文名句集", FortuneLayout::kSayings, "历代诸家"},
    };
    std::vector<Book> books;
    for (const Source& source : kSources) {
        const std::vector<std::string> entries =
            SplitFortuneEntries(ReadWholeFile(textsDir / source.file));
        std::vector<Chapter> chapters = ChaptersFromEntries(entries, source.layout);
        if (chapters.empty()) {
            continue;
        }
        Book book;
        book.id = source.id;
        book.idPrefix = source.id / 1000;
        book.title = source.title;
        book.author = CollectionAuthor(entries, source.layout);
        if (book.author.empty()) {
            book.author = source.defaultAuthor;
        }
        book.chapters = std::move(chapters);
        books.push_back(std::move(book));
    }
    if (books.empty()) {
        books.push_back(BuiltInBook());
    }
    return books;
}

}  // namespace qingwu::demo
