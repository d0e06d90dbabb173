#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include "probe/commands.h"
#include "tests/probe/probe_fixture.h"
#include "tests/support/loopback_server.h"
#include "text/gbk.h"

namespace qingwu::probe::testing {
namespace {

using qingwu::test::GbkPage;
using qingwu::test::LoopbackServer;

class ProbeChapters : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server_.Listening()); }

    // Writes the profile, with some fields replaced.
    void Profile(const ProfileRow& changes = {}) {
        ProfileRow row = TestSiteProfile("测试书库", server_.Url(""));
        for (const auto& [field, value] : changes) {
            row[field] = value;
        }
        ASSERT_TRUE(WriteProfileFile(profiles_, {row}));
    }

    ProbeRun Run(std::vector<std::string> args) {
        args.insert(args.end(), {"--profiles", profiles_});
        return Probe(args);
    }

    static std::string Warnings(const QJsonObject& report) {
        std::string all;
        for (const auto& warning : report.value("warnings").toArray()) {
            all += warning.toString().toStdString() + "\n";
        }
        return all;
    }

    LoopbackServer server_;
    TempFolder folder_;
    std::string profiles_ = folder_ / "sk.mdb";
};

TEST_F(ProbeChapters, FillsTheTemplatesAndShowsTheEndsOfTheList) {
    Profile();
    server_.Route("GET", "/b/3/301/", GbkPage(ChapterListPage(12)));
    ProbeRun run = Run({"chapters", "测试书库", "301", "3", "--show", "2"});
    EXPECT_EQ(run.status, kExitPassed) << run.out << run.err;
    ASSERT_EQ(server_.RequestCount(), 1u);
    EXPECT_EQ(server_.Requests()[0].method, "GET");

    const std::string base = server_.Url("");
    EXPECT_NE(run.out.find("chapter page address: " + base + "/b/3/301/\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("chapters: 12\n"
                           "  row 0: number \"1.html\", name \"第1章\" -> " +
                           base +
                           "/b/3/301/1.html\n"
                           "  row 1: number \"2.html\", name \"第2章\" -> " +
                           base +
                           "/b/3/301/2.html\n"
                           "  ... 8 rows not shown (--show N) ...\n"
                           "  row 10: number \"11.html\""),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("row 11: number \"12.html\", name \"第12章\""), std::string::npos);

    run = Run({"chapters", "测试书库", "301", "3", "--json"});
    const QJsonObject report = JsonOf(run);
    EXPECT_EQ(report.value("chapterCount").toInt(), 12);
    const QJsonArray chapters = report.value("chapters").toArray();
    ASSERT_EQ(chapters.size(), 12);
    EXPECT_EQ(Str(chapters[11].toObject(), "name"), "第12章");
    EXPECT_EQ(Str(report, "chapterListAddress"), base + "/b/3/301/");
}

TEST_F(ProbeChapters, NamesWhatIsWrongWithTheChapterPattern) {
    struct Case {
        const char* name;
        const char* pattern;
        std::string page;
        int status;
        int chapters;
        const char* warning;
        const char* failure;
    };
    const std::string duplicated = Utf8ToGbk(
        "<dd><a href=\"1.html\">一</a></dd><dd><a href=\"2.html\">二</a></dd>"
        "<dd><a href=\"1.html\">三</a></dd>");
    const Case cases[] = {
        {"one group lists chapters without names", "<dd><a href=\"(\\d+\\.html)\">",
         ChapterListPage(3), kExitPassed, 3,
         "has 1 capture group(s); the reader uses groups 1 to 2", ""},
        {"a repeated number is named", "<dd><a href=\"(\\d+\\.html)\">([^<]*)</a>", duplicated,
         kExitPassed, 3,
         "1 chapter number(s) repeat an earlier one (rows 0 and 2 share \"1.html\")", ""},
        {"no group lists nothing", "<dd><a href=\"\\d+\\.html\">", ChapterListPage(3), kExitFailed,
         0, "has 0 capture group(s)", "has no capture group"},
        {"a pattern that does not compile", "<dd>(\\d+", ChapterListPage(3), kExitFailed, 0,
         "does not compile", "does not compile"},
        {"a pattern that finds nothing", "<li>(\\d+)(x)", ChapterListPage(3), kExitFailed, 0,
         "finds nothing on the page", "finds no chapter"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Profile({{"书库列出全部章节正则", c.pattern}});
        server_.Route("GET", "/b/3/301/", GbkPage(c.page));
        const ProbeRun run = Run({"chapters", "测试书库", "301", "3", "--json"});
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        const QJsonObject report = JsonOf(run);
        EXPECT_EQ(report.value("chapterCount").toInt(), c.chapters);
        EXPECT_NE(Warnings(report).find(c.warning), std::string::npos) << Warnings(report);
        EXPECT_NE(Str(report, "failure").find(c.failure), std::string::npos)
            << Str(report, "failure");
    }
}

TEST_F(ProbeChapters, CutsTheChapterAtARowAndShowsBothEndsOfItsText) {
    Profile();
    server_.Route("GET", "/b/3/301/", GbkPage(ChapterListPage(3)));
    const std::string text = "开头" + std::string(300, 'x') + "结尾";
    server_.Route("GET", "/b/3/301/2.html", GbkPage(ChapterPage("第二章 风起", text)));

    ProbeRun run = Run({"chapter", "测试书库", "301", "3", "1", "--chars", "4"});
    EXPECT_EQ(run.status, kExitPassed) << run.out << run.err;
    ASSERT_EQ(server_.RequestCount(), 2u);
    EXPECT_EQ(server_.Requests()[1].target, "/b/3/301/2.html");
    EXPECT_NE(run.out.find("  text: \"第二章 风起\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  start: \"开头xx\"\n  end:   \"xx结尾\""), std::string::npos)
        << run.out;

    run = Run({"chapter", "测试书库", "301", "3", "1", "--json"});
    const QJsonObject chapter = JsonOf(run).value("chapter").toObject();
    EXPECT_EQ(Str(chapter.value("title").toObject(), "text"), "第二章 风起");
    EXPECT_EQ(Str(chapter.value("content").toObject(), "text"), text);
    EXPECT_EQ(Str(chapter, "address"), server_.Url("/b/3/301/2.html"));
}

TEST_F(ProbeChapters, AMissingMarkerIsNamedAndEmptyContentFails) {
    Profile({{"小说内容后过滤文本", "</section>"}, {"小说标题前过滤文本", "<h2>"}});
    server_.Route("GET", "/b/3/301/", GbkPage(ChapterListPage(1)));
    server_.Route("GET", "/b/3/301/1.html", GbkPage(ChapterPage("题", "正文")));
    const ProbeRun run = Run({"chapter", "测试书库", "301", "3", "0", "--json"});
    EXPECT_EQ(run.status, kExitFailed);
    const QJsonObject chapter = JsonOf(run).value("chapter").toObject();
    const std::string warnings = Warnings(chapter);
    EXPECT_NE(warnings.find("小说标题前过滤文本 \"<h2>\" is not on the page"), std::string::npos)
        << warnings;
    EXPECT_NE(warnings.find("小说内容后过滤文本 \"</section>\" is not on the page after "
                            "小说内容前过滤文本"),
              std::string::npos)
        << warnings;
    EXPECT_EQ(Str(chapter, "failure"), "the content cut is empty");
    EXPECT_EQ(chapter.value("content").toObject().value("startAt").toInt() > 0, true);
}

TEST_F(ProbeChapters, ARowBeyondTheListFetchesNoChapter) {
    Profile();
    server_.Route("GET", "/b/3/301/", GbkPage(ChapterListPage(2)));
    const ProbeRun run = Run({"chapter", "测试书库", "301", "3", "2"});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.out.find("the chapter list has 2 row(s); row 2 is not one of them"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(server_.RequestCount(), 1u);
}

}  // namespace
}  // namespace qingwu::probe::testing
