#include "demo/corpus.h"

#include <gtest/gtest.h>

#include <fstream>

#include "demo/pages.h"
#include "tests/demo/fixture_texts.h"

namespace qingwu::demo {
namespace {

using testing::ExpectedFixtureBooks;
using testing::FixtureTexts;

TEST(FortuneEntries, SplitsCleansAndDropsEmptyEntries) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"colour sequences removed",
         "\x1b[32m《春晓》\x1b[m\n\x1b[33;1m作者\x1b[;m\n%\n",
         {"《春晓》\n作者"}},
        {"separator with trailing blanks", "甲\n%    \n乙\n%\n", {"甲", "乙"}},
        {"last entry without a separator", "甲\n%\n乙\n", {"甲", "乙"}},
        {"empty entries dropped", "%\n\n%\n  \n%\n甲\n%\n", {"甲"}},
        {"percent sign inside a line is text", "五成%的人\n%\n", {"五成%的人"}},
        {"characters GBK lacks get a stand-in",
         "感遇\u30FB其一\u00A0\u00ABx\u00BB\u2027\n",
         {"感遇\u00B7其一 \u300Ax\u300B\u00B7"}},
        {"escape that is no colour sequence stays", "a\x1b[1Kb\n", {"a\x1b[1Kb"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SplitFortuneEntries(c.text), c.entries);
    }
}

TEST(FortuneChapters, PoemsTakeTitleAndPoetAndSkipEntriesWithoutThem) {
    const std::vector<std::string> entries = {
        "《送别》\n作者：王维\n下马饮君酒，问君何所之。",
        "题目:《塞上》\n作者:柳开（９４６－９９９）\n\n  鸣骹直上一千尺。",
        "《无作者》\n只有诗句。",
        "没有书名号\n作者：某人\n诗句。",
    };
    const std::vector<Chapter> chapters = ChaptersFromEntries(entries, FortuneLayout::kPoems);
    ASSERT_EQ(chapters.size(), 2u);
    EXPECT_EQ(chapters[0].name, "《送别》 王维");
    EXPECT_EQ(chapters[0].lines,
              (std::vector<std::string>{"作者：王维", "下马饮君酒，问君何所之。"}));
    EXPECT_EQ(chapters[1].name, "《塞上》 柳开");
    // The author line keeps the dates; blank lines stay as paragraph breaks; indents go.
    EXPECT_EQ(chapters[1].lines,
              (std::vector<std::string>{"作者:柳开（９４６－９９９）", "", "鸣骹直上一千尺。"}));
}

TEST(FortuneChapters, SayingsAreNumberedAfterSkippingLatinTexts) {
    const std::vector<std::string> entries = {
        "有志者，事竟成。",
        "Debian 是一个自由的操作系统。\n    -- Debian",
        "国破山河在，城春草木深。\n    -- 杜甫《春望》",
        "\n天行健，君子以自强不息；地势坤，君子以厚德载物。\n\n    --《周易》",
    };
    const std::vector<Chapter> chapters = ChaptersFromEntries(entries, FortuneLayout::kSayings);
    ASSERT_EQ(chapters.size(), 3u);
    EXPECT_EQ(chapters[0].name, "第1则 有志者，事竟成。");
    EXPECT_EQ(chapters[0].lines, std::vector<std::string>{"有志者，事竟成。"});
    EXPECT_EQ(chapters[1].name, "第2则 国破山河在，城春草木深。");
    EXPECT_EQ(chapters[1].lines,
              (std::vector<std::string>{"国破山河在，城春草木深。", "——杜甫《春望》"}));
    EXPECT_EQ(chapters[2].name, "第3则 天行健，君子以自强不息；地势坤，君子以厚…");
    EXPECT_EQ(chapters[2].lines.back(), "——《周易》");
}

TEST(FortuneChapters, CollectionAuthorIsTheMostFrequentPoetTiesToTheFirst) {
    const std::vector<std::string> mostFrequent = {
        "《甲》\n作者：王维\n句", "《乙》\n作者：杜甫\n句", "《丙》\n作者：杜甫\n句"};
    EXPECT_EQ(CollectionAuthor(mostFrequent, FortuneLayout::kPoems), "杜甫等");
    const std::vector<std::string> tie = {"《甲》\n作者:柳开（946）\n句", "《乙》\n作者:寇准\n句"};
    EXPECT_EQ(CollectionAuthor(tie, FortuneLayout::kPoems), "柳开等");
    EXPECT_EQ(CollectionAuthor({"有志者，事竟成。"}, FortuneLayout::kSayings), "");
    EXPECT_EQ(CollectionAuthor({"《甲》\n无作者"}, FortuneLayout::kPoems), "");
}

TEST(LoadBooks, BuildsTheThreeBooksFromTheFortuneFiles) {
    const FixtureTexts texts;
    ASSERT_FALSE(texts.Dir().empty());
    const std::vector<Book> books = LoadBooks(texts.Dir());
    const auto& expected = ExpectedFixtureBooks();
    ASSERT_EQ(books.size(), expected.size());
    for (std::size_t b = 0; b < books.size(); ++b) {
        SCOPED_TRACE(expected[b].title);
        EXPECT_EQ(books[b].id, expected[b].id);
        EXPECT_EQ(books[b].idPrefix, expected[b].idPrefix);
        EXPECT_EQ(books[b].title, expected[b].title);
        EXPECT_EQ(books[b].author, expected[b].author);
        std::vector<std::string> names;
        for (const Chapter& chapter : books[b].chapters) {
            names.push_back(HtmlEscape(chapter.name));
        }
        EXPECT_EQ(names, expected[b].chapterNames);
    }
}

TEST(LoadBooks, FallsBackToTheBuiltInBookOnlyWhenNoFileCanBeRead) {
    const FixtureTexts texts;
    const std::vector<Book> none = LoadBooks(texts.Dir() / "missing");
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].title, BuiltInBook().title);
    EXPECT_EQ(none[0].id, 3001);
    EXPECT_EQ(none[0].idPrefix, 3);
    EXPECT_GE(none[0].chapters.size(), 3u);

    // One readable file is enough: the site then serves that book alone.
    const auto onlySong = texts.Dir() / "only-song";
    std::filesystem::create_directory(onlySong);
    std::filesystem::copy_file(texts.Dir() / "song100.u8", onlySong / "song100.u8");
    std::ofstream(onlySong / "chinese.u8") << "";  // present but empty: no book
    const std::vector<Book> song = LoadBooks(onlySong);
    ASSERT_EQ(song.size(), 1u);
    EXPECT_EQ(song[0].title, "宋词一百首");
}

}  // namespace
}  // namespace qingwu::demo
