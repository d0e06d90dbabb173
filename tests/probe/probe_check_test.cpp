#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <memory>

#include "probe/commands.h"
#include "tests/probe/probe_fixture.h"
#include "tests/support/loopback_server.h"
#include "text/gbk.h"

namespace qingwu::probe::testing {
namespace {

using qingwu::test::GbkPage;
using qingwu::test::LoopbackServer;

// The outcome of each step of a check, in order.
std::vector<std::string> Outcomes(const QJsonObject& report) {
    std::vector<std::string> outcomes;
    for (const auto& step : report.value("steps").toArray()) {
        outcomes.push_back(Str(step.toObject(), "name") + " " + Str(step.toObject(), "outcome"));
    }
    return outcomes;
}

class ProbeCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        server_ = std::make_unique<LoopbackServer>();
        ASSERT_TRUE(server_->Listening());
        ASSERT_TRUE(WriteProfileFile(profiles_, {TestSiteProfile("测试书库", server_->Url(""))}));
        // The page of the second result is never asked for: the road opens the first.
        server_->Route("POST", "/search",
                       GbkPage(SearchPage({"吴承恩", "罗贯中"}, {"301", "302"}, {"3", "3"},
                                          {"西游记", "三国演义"})));
        server_->Route("GET", "/b/3/301/", GbkPage(ChapterListPage(40)));
        server_->Route("GET", "/b/3/301/1.html",
                       GbkPage(ChapterPage("第一回 灵根育孕源流出", "诗曰：\r\n混沌未分天地乱")));
    }

    ProbeRun Check(std::vector<std::string> extra, const std::string& title = "西游记") {
        std::vector<std::string> args = {"check", "测试书库", title, "--profiles", profiles_};
        args.insert(args.end(), extra.begin(), extra.end());
        return Probe(args);
    }

    std::unique_ptr<LoopbackServer> server_;
    TempFolder folder_;
    std::string profiles_ = folder_ / "sk.mdb";
};

TEST_F(ProbeCheck, WalksTheWholeRoad) {
    const ProbeRun run = Check({});
    EXPECT_EQ(run.status, kExitPassed) << run.out << run.err;
    EXPECT_NE(run.out.find("profile: passed: no errors\n"
                           "search: passed: 2 row(s) from " +
                           server_->Url("/search") +
                           "\n"
                           "first result: passed: \"西游记\" by \"吴承恩\", id \"301\", prefix "
                           "\"3\"\n"
                           "chapter list: passed: 40 chapter(s) from " +
                           server_->Url("/b/3/301/") +
                           "\n"
                           "first chapter: passed: title \"第一回 灵根育孕源流出\", 12 characters "
                           "of content from " +
                           server_->Url("/b/3/301/1.html") + "\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(server_->RequestCount(), 3u);
}

TEST_F(ProbeCheck, StopsAtTheFirstFailedStepAndSaysWhy) {
    server_->Route("GET", "/b/3/301/", GbkPage(ChapterListPage(0)));
    const ProbeRun run = Check({"--json"});
    EXPECT_EQ(run.status, kExitFailed);
    const QJsonObject report = JsonOf(run);
    EXPECT_EQ(Outcomes(report),
              (std::vector<std::string>{"profile passed", "search passed", "first result passed",
                                        "chapter list failed", "first chapter skipped"}));
    EXPECT_NE(Str(report.value("steps").toArray()[3].toObject(), "detail").find("finds no chapter"),
              std::string::npos);
    EXPECT_TRUE(report.value("firstChapter").isNull());
    EXPECT_EQ(server_->RequestCount(), 2u);
}

TEST_F(ProbeCheck, SavedPagesWalkTheSameRoadWithoutTheNetwork) {
    const std::string saved = folder_ / "pages";
    ProbeRun run = Check({"--save", saved, "--json"});
    ASSERT_EQ(run.status, kExitPassed) << run.out << run.err;
    const QJsonObject live = JsonOf(run);

    // The index names each request: method, status, address and the body byte for byte.
    const std::string index = ReadFileBytes(saved + "/index.tsv");
    EXPECT_NE(index.find("001\tPOST\t200\t" + server_->Url("/search") +
                         "\tsearchclass=1&searchkey=\\xCE\\xF7\\xD3\\xCE\\xBC\\xC7\t"
                         "searchclass=1&searchkey=西游记\n"),
              std::string::npos)
        << index;
    EXPECT_NE(index.find("003\tGET\t200\t" + server_->Url("/b/3/301/1.html") + "\t\t\n"),
              std::string::npos)
        << index;
    EXPECT_EQ(ReadFileBytes(saved + "/003.html"),
              ChapterPage("第一回 灵根育孕源流出", "诗曰：\r\n混沌未分天地乱"));

    server_.reset();  // nothing answers any more
    run = Check({"--offline", saved, "--json"});
    EXPECT_EQ(run.status, kExitPassed) << run.out << run.err;
    const QJsonObject offline = JsonOf(run);
    EXPECT_EQ(offline.value("steps"), live.value("steps"));
    EXPECT_EQ(offline.value("firstChapter").toObject().value("content"),
              live.value("firstChapter").toObject().value("content"));

    // Another title is another request: it was never saved.
    run = Check({"--offline", saved, "--json"}, "三国演义");
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(Str(JsonOf(run).value("search").toObject(), "failure").find("not among the saved"),
              std::string::npos);

    run = Check({"--offline", folder_ / "nothing-here"});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find("index.tsv is missing"), std::string::npos) << run.err;
}

TEST_F(ProbeCheck, AProfileErrorFailsTheCheckButTheRoadIsStillWalked) {
    ProfileRow row = TestSiteProfile("测试书库", server_->Url(""));
    row["书名正则"] = "<i class=\"title\">[^<]*</i>";
    ASSERT_TRUE(WriteProfileFile(profiles_, {row}));
    const ProbeRun run = Check({"--json"});
    EXPECT_EQ(run.status, kExitFailed);
    const QJsonObject report = JsonOf(run);
    EXPECT_EQ(Outcomes(report)[0], "profile failed");
    EXPECT_NE(Str(report.value("steps").toArray()[0].toObject(), "detail")
                  .find("书名正则 has 0 capture group(s)"),
              std::string::npos);
    EXPECT_EQ(Outcomes(report)[4], "first chapter passed");
}

}  // namespace
}  // namespace qingwu::probe::testing
