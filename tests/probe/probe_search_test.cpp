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
using qingwu::test::NotFound;

class ProbeSearch : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Listening());
        ASSERT_TRUE(WriteProfileFile(profiles_, {TestSiteProfile("测试书库", server_.Url(""))}));
    }

    ProbeRun Search(const std::string& title, bool json = true) {
        std::vector<std::string> args = {"search", "测试书库", title, "--profiles", profiles_};
        if (json) {
            args.push_back("--json");
        }
        return Probe(args);
    }

    LoopbackServer server_;
    TempFolder folder_;
    std::string profiles_ = folder_ / "sk.mdb";
};

TEST_F(ProbeSearch, SendsTheReadersPostWithTheTitleAsRawGbk) {
    server_.Route("POST", "/search", GbkPage(SearchPage({"吴承恩"}, {"301"}, {"3"}, {"西游记"})));
    const ProbeRun run = Search("西游记", false);
    EXPECT_EQ(run.status, kExitPassed) << run.out << run.err;

    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/search");
    EXPECT_EQ(requests[0].body, "searchclass=1&searchkey=" + Utf8ToGbk("西游记"));

    // The report shows the same bytes, and the row the reader would list.
    EXPECT_NE(run.out.find("body bytes: searchclass=1&searchkey=\\xCE\\xF7\\xD3\\xCE\\xBC\\xC7"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("answer: status 200 OK"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("row 0: title \"西游记\", author \"吴承恩\", id \"301\", prefix \"3\""),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("result: passed"), std::string::npos) << run.out;
}

TEST_F(ProbeSearch, AssemblesRowsByMatchOrderAndWarnsWhereCountsDiffer) {
    struct Case {
        const char* name;
        std::vector<std::string> authors, ids, prefixes, titles;
        int status;
        std::vector<std::string> rowTitles;  // column 0 of each row, as the reader shows it
        const char* warning;                 // a part of one warning; empty for none expected
        const char* failure;                 // a part of the failure; empty when it passes
    };
    const Case cases[] = {
        {"all passes agree",
         {"甲", "乙"},
         {"1", "2"},
         {"0", "0"},
         {"书一", "书二"},
         kExitPassed,
         {"书一", "书二"},
         "",
         ""},
        {"fewer titles than rows keep their numbers",
         {"甲", "乙", "丙"},
         {"1", "2", "3"},
         {"0", "0", "0"},
         {"书一"},
         kExitPassed,
         {"书一", "2", "3"},
         "书名正则 found 1 titles for 3 row(s): rows 1 to 2 keep their number as title",
         ""},
        {"titles beyond the last row are dropped",
         {"甲"},
         {"1"},
         {"0"},
         {"书一", "书二", "书三"},
         kExitPassed,
         {"书一"},
         "titles 2 to 3 belong to no row",
         ""},
        {"no book id is the reader's failure",
         {"甲", "乙"},
         {},
         {"0", "0"},
         {"书一", "书二"},
         kExitFailed,
         {"书一", "书二"},
         "书号正则 finds nothing on the page",
         "书号正则 found no book id"},
        {"ids without authors show an empty list",
         {},
         {"1", "2"},
         {"0", "0"},
         {},
         kExitFailed,
         {},
         "作者正则 finds nothing on the page",
         "empty result list"},
        {"a first row without prefix cannot be opened",
         {"甲", "乙"},
         {"1", "2"},
         {},
         {"书一", "书二"},
         kExitFailed,
         {"书一", "书二"},
         "rows 0 to 1 have no id prefix",
         "cannot open the first result"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server_.Route("POST", "/search",
                      GbkPage(SearchPage(c.authors, c.ids, c.prefixes, c.titles)));
        const ProbeRun run = Search("书");
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        const QJsonObject report = JsonOf(run);

        const QJsonArray rows = report.value("rows").toArray();
        ASSERT_EQ(rows.size(), static_cast<qsizetype>(c.rowTitles.size()));
        for (qsizetype r = 0; r < rows.size(); ++r) {
            const QJsonObject row = rows[r].toObject();
            EXPECT_EQ(Str(row, "title"), c.rowTitles[r]) << "row " << r;
            EXPECT_EQ(Str(row, "author"), c.authors[r]) << "row " << r;
            const bool hasId = r < static_cast<qsizetype>(c.ids.size());
            EXPECT_EQ(row.value("id").isNull(), !hasId) << "row " << r;
        }
        const QJsonArray passes = report.value("passes").toArray();
        ASSERT_EQ(passes.size(), 4);
        EXPECT_EQ(passes[1].toObject().value("matchCount").toInt(), static_cast<int>(c.ids.size()));

        std::string warnings;
        for (const auto& warning : report.value("warnings").toArray()) {
            warnings += warning.toString().toStdString() + "\n";
        }
        if (*c.warning) {
            EXPECT_NE(warnings.find(c.warning), std::string::npos) << warnings;
        } else {
            EXPECT_EQ(warnings, "");
        }
        const std::string failure = Str(report, "failure");
        if (*c.failure) {
            EXPECT_NE(failure.find(c.failure), std::string::npos) << failure;
        } else {
            EXPECT_EQ(failure, "");
        }
        EXPECT_EQ(report.value("passed").toBool(), c.status == kExitPassed);
    }
}

TEST_F(ProbeSearch, ReportsTheStatusOfAnErrorPageAndAMissingServer) {
    server_.Route("POST", "/search", NotFound());
    ProbeRun run = Search("书");
    EXPECT_EQ(run.status, kExitFailed);
    QJsonObject report = JsonOf(run);
    EXPECT_EQ(report.value("answer").toObject().value("status").toInt(), 404);
    EXPECT_NE(report.value("warnings").toArray()[0].toString().toStdString().find("status 404"),
              std::string::npos);

    // A port nothing listens on any more: no answer at all.
    std::string deadBase;
    {
        LoopbackServer gone;
        deadBase = gone.Url("");
    }
    ASSERT_TRUE(WriteProfileFile(folder_ / "dead.mdb", {TestSiteProfile("死站", deadBase)}));
    run = Probe({"search", "死站", "书", "--json", "--profiles", folder_ / "dead.mdb"});
    EXPECT_EQ(run.status, kExitFailed);
    report = JsonOf(run);
    EXPECT_EQ(report.value("answer").toObject().value("status").toInt(), 0);
    EXPECT_NE(Str(report, "failure").find("no answer from the search page"), std::string::npos);
}

TEST_F(ProbeSearch, AnEmptyPatternFindsNothingAsInTheReader) {
    ProfileRow row = TestSiteProfile("测试书库", server_.Url(""));
    row["书名正则"] = "";
    ASSERT_TRUE(WriteProfileFile(profiles_, {row}));
    server_.Route("POST", "/search", GbkPage(SearchPage({"甲", "乙"}, {"1", "2"}, {"0", "0"}, {})));
    const ProbeRun run = Search("书", false);
    EXPECT_EQ(run.status, kExitPassed) << run.out << run.err;
    EXPECT_NE(run.out.find("warning: 书名正则 is empty: the reader skips its pass"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("row 1: title \"2\" (no title match), author \"乙\""), std::string::npos)
        << run.out;
}

TEST_F(ProbeSearch, AnEmptyTitleIsRefusedWithoutARequest) {
    const ProbeRun run = Search("");
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_FALSE(JsonOf(run).value("requested").toBool());
    EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(ProbeSearch, AnUnknownWebsiteOrProfileFileCannotRun) {
    ProbeRun run = Probe({"search", "无此书库", "书", "--profiles", profiles_});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find("no website named \"无此书库\""), std::string::npos) << run.err;

    run = Probe({"search", "测试书库", "书", "--profiles", folder_ / "missing.mdb"});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find("no profile file"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder_ / "missing.mdb"));
}

}  // namespace
}  // namespace qingwu::probe::testing
