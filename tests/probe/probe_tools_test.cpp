#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <fstream>

#include "probe/commands.h"
#include "tests/probe/probe_fixture.h"
#include "tests/support/loopback_server.h"
#include "text/gbk.h"

namespace qingwu::probe::testing {
namespace {

using qingwu::test::GbkPage;
using qingwu::test::LoopbackServer;
using qingwu::test::NotFound;

const std::string kPage = Utf8ToGbk(
    "<TITLE>目录</TITLE>\n<A HREF=12.html>第一章 起</A>\n<a href=13.html>第二章 承</a>\n");

TEST(ProbeMatch, RunsThePatternWithTheReadersFlagsOverStandardInputOrAFile) {
    // Case ignored, '.' and classes take whole Chinese characters, global.
    ProbeRun run = Probe({"match", "<a href=(\\d+)\\.html>(第.章) (.)</a>", "--json"}, kPage);
    EXPECT_EQ(run.status, kExitPassed) << run.out << run.err;
    QJsonObject report = JsonOf(run);
    EXPECT_EQ(report.value("matchCount").toInt(), 2);
    EXPECT_EQ(report.value("captureGroups").toInt(), 3);
    const QJsonArray matches = report.value("matches").toArray();
    ASSERT_EQ(matches.size(), 2);
    EXPECT_EQ(matches[0].toObject().value("groups").toArray()[1].toString().toStdString(),
              "第一章");
    EXPECT_EQ(Str(matches[1].toObject(), "text"), "<a href=13.html>第二章 承</a>");

    // Multiline off: '^' only at the start of the page.
    TempFolder folder;
    { std::ofstream(folder / "page.html", std::ios::binary) << kPage; }
    run = Probe({"match", "^<a", folder / "page.html"});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.out.find("result: failed: no match"), std::string::npos) << run.out;

    run = Probe({"match", "<a (href", folder / "page.html"});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.out.find("does not compile at character 3"), std::string::npos) << run.out;

    run = Probe({"match", "x", folder / "no-such-page.html"});
    EXPECT_EQ(run.status, kExitUsage);
}

TEST(ProbeCut, CutsAsTheReaderCutsAndSaysWhichMarkerIsMissing) {
    struct Case {
        const char* name;
        const char* start;
        const char* end;
        int status;
        const char* cut;
        const char* warning;
    };
    const Case cases[] = {
        {"both markers", "<TITLE>", "</TITLE>", kExitPassed, "目录", ""},
        {"an empty start marker cuts from the page's start", "", "目录", kExitPassed, "<TITLE>",
         "START is empty"},
        {"a missing start marker cuts nothing", "<h1>", "</TITLE>", kExitFailed, "",
         "START \"<h1>\" is not on the page"},
        {"a missing end marker cuts nothing", "<TITLE>", "</h1>", kExitFailed, "",
         "END \"</h1>\" is not on the page after START"},
        {"an empty end marker always cuts nothing", "<TITLE>", "", kExitFailed, "",
         "END is empty: the cut is always empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProbeRun run = Probe({"cut", c.start, c.end, "--json"}, kPage);
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        const QJsonObject report = JsonOf(run);
        EXPECT_EQ(Str(report, "text"), c.cut);
        std::string warnings;
        for (const auto& warning : report.value("warnings").toArray()) {
            warnings += warning.toString().toStdString() + "\n";
        }
        EXPECT_NE(warnings.find(c.warning), std::string::npos) << warnings;
    }
}

TEST(ProbeFetch, WritesTheRawBodyAndPostsTheBodyAsGbk) {
    LoopbackServer server;
    ASSERT_TRUE(server.Listening());
    const std::string page = Utf8ToGbk("<p>第一章</p>") + std::string("\x80\xFF", 2);
    server.Route("", "/page", GbkPage(page));
    server.Route("", "/gone", NotFound());

    ProbeRun run = Probe({"fetch", server.Url("/page")});
    EXPECT_EQ(run.status, kExitPassed) << run.err;
    EXPECT_EQ(run.out, page);
    EXPECT_NE(run.err.find("answer: status 200 OK, " + std::to_string(page.size()) + " bytes"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(server.Requests().back().method, "GET");

    run = Probe({"fetch", server.Url("/page"), "--post", "searchkey=红楼梦", "--json"});
    EXPECT_EQ(run.status, kExitPassed);
    EXPECT_EQ(server.Requests().back().method, "POST");
    EXPECT_EQ(server.Requests().back().body, "searchkey=" + Utf8ToGbk("红楼梦"));
    EXPECT_EQ(Str(JsonOf(run), "body"), GbkToUtf8(page));

    run = Probe({"fetch", server.Url("/gone")});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.err.find("status 404"), std::string::npos) << run.err;
}

TEST(ProbeCommandLine, RefusesWhatItCannotRunAndHelpsWithEachCommand) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        const char* says;  // a part of stdout for status 0, of stderr otherwise
    };
    const Case cases[] = {
        {"no command", {}, kExitUsage, "usage: qingwu-probe COMMAND"},
        {"an unknown command", {"probe"}, kExitUsage, "no command named probe"},
        {"too few arguments",
         {"search", "站"},
         kExitUsage,
         "usage: qingwu-probe search SITE TITLE"},
        {"an option the command does not take",
         {"match", "x", "--post", "b"},
         kExitUsage,
         "match takes no --post"},
        {"an unknown option", {"sites", "--verbose"}, kExitUsage, "unknown option --verbose"},
        {"an option without its value", {"sites", "--profiles"}, kExitUsage, "needs a value"},
        {"a row that is not a number",
         {"chapter", "站", "1", "0", "first"},
         kExitUsage,
         "counted from 0"},
        {"save and offline together",
         {"fetch", "http://127.0.0.1:1/", "--save", "a", "--offline", "b"},
         kExitUsage,
         "--save and --offline exclude each other"},
        {"the overview", {"--help"}, kExitPassed, "check SITE TITLE"},
        {"help for a command", {"help", "chapter"}, kExitPassed, "--chars N"},
        {"--help after a command", {"check", "--help"}, kExitPassed, "--offline DIR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProbeRun run = Probe(c.args);
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        const std::string& said = c.status == kExitPassed ? run.out : run.err;
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
    }
}

}  // namespace
}  // namespace qingwu::probe::testing
