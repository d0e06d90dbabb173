#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include "probe/commands.h"
#include "tests/probe/probe_fixture.h"

namespace qingwu::probe::testing {
namespace {

const std::string kBase = "http://127.0.0.1:1";

struct Finding {
    std::string severity;
    std::string field;
    std::string message;
};

std::vector<Finding> FindingsOf(const QJsonObject& row) {
    std::vector<Finding> findings;
    for (const auto& value : row.value("findings").toArray()) {
        const QJsonObject f = value.toObject();
        findings.push_back({Str(f, "severity"), Str(f, "field"), Str(f, "message")});
    }
    return findings;
}

TEST(ProbeSites, ChecksEveryRowAndNamesEachFault) {
    struct Case {
        const char* name;
        ProfileRow changes;
        const char* severity;  // of the one finding expected; empty for a row without findings
        const char* field;
        const char* message;  // a part of it
    };
    const Case cases[] = {
        {"a sound row", {}, "", "", ""},
        {"an empty search address",
         {{"书库网站搜索页地址", ""}},
         "error",
         "书库网站搜索页地址",
         "is empty"},
        {"a search pattern that does not compile",
         {{"作者正则", "<td>(作者[^<]*</td>"}},
         "error",
         "作者正则",
         "does not compile at character 4: expected ')' (5020) (<td><<HERE>>(作者[^<]*</td>)"},
        {"an error of the engine is placed in the pattern as written",
         {{"书名正则", "书名(\\S+)\\uD800"}},
         "error",
         "书名正则",
         "does not compile at character 7: UTF-16 error"},
        {"a refused construct is placed",
         {{"书号正则", "id=(?<n>\\d+)"}},
         "error",
         "书号正则",
         "does not compile at character 3: syntax error (5017)"},
        {"a search pattern without a group",
         {{"书号前缀正则", "/book/\\d+/"}},
         "error",
         "书号前缀正则",
         "has 0 capture group(s), the reader needs 1"},
        {"a chapter pattern with one group",
         {{"书库列出全部章节正则", "<a href=\"(\\d+)\\.html\">"}},
         "error",
         "书库列出全部章节正则",
         "has 1 capture group(s), the reader needs 2"},
        {"a list template without placeholder",
         {{"网址章节列表页", kBase + "/book/list.html"}},
         "error",
         "网址章节列表页",
         "every book gets the same chapter list"},
        {"a page template without placeholder is only unusual",
         {{"网址章节内容页", kBase + "/read/"}},
         "warning",
         "网址章节内容页",
         "unique across the whole website"},
        {"an empty end marker",
         {{"小说内容后过滤文本", ""}},
         "error",
         "小说内容后过滤文本",
         "is empty"},
        {"a search address of another scheme",
         {{"书库网站搜索页地址", "ftp://127.0.0.1/search"}},
         "warning",
         "书库网站搜索页地址",
         "does not begin with http:// or https://"},
    };
    TempFolder folder;
    std::vector<ProfileRow> rows;
    for (const Case& c : cases) {
        ProfileRow row = TestSiteProfile(c.name, kBase);
        for (const auto& [field, value] : c.changes) {
            row[field] = value;
        }
        rows.push_back(row);
    }
    // A second row of an existing name is one the reader never finds.
    rows.push_back(TestSiteProfile("a sound row", kBase));
    ASSERT_TRUE(WriteProfileFile(folder / "sk.mdb", rows));

    const ProbeRun run = Probe({"sites", "--profiles", folder / "sk.mdb", "--json"});
    EXPECT_EQ(run.status, kExitFailed);
    const QJsonObject report = JsonOf(run);
    const QJsonArray listed = report.value("rows").toArray();
    ASSERT_EQ(listed.size(), static_cast<qsizetype>(rows.size()));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const QJsonObject row = listed[static_cast<qsizetype>(i)].toObject();
        EXPECT_EQ(Str(row, "name"), c.name);
        const std::vector<Finding> findings = FindingsOf(row);
        if (!*c.severity) {
            EXPECT_TRUE(findings.empty());
            EXPECT_TRUE(row.value("ok").toBool());
            continue;
        }
        ASSERT_EQ(findings.size(), 1u) << findings[0].field << " " << findings[0].message;
        EXPECT_EQ(findings[0].severity, c.severity);
        EXPECT_EQ(findings[0].field, c.field);
        EXPECT_NE(findings[0].message.find(c.message), std::string::npos) << findings[0].message;
        EXPECT_EQ(row.value("ok").toBool(), std::string(c.severity) == "warning");
    }
    const std::vector<Finding> duplicate = FindingsOf(listed.last().toObject());
    ASSERT_EQ(duplicate.size(), 1u);
    EXPECT_EQ(duplicate[0].message,
              "repeats the name of row 0: the reader only ever finds that row");
}

TEST(ProbeSites, ListsOneLineARowAndPassesASoundFile) {
    TempFolder folder;
    ASSERT_TRUE(WriteProfileFile(
        folder / "sk.mdb", {TestSiteProfile("甲站", kBase), TestSiteProfile("乙站", "http://x")}));
    const ProbeRun run = Probe({"sites", "--profiles", folder / "sk.mdb"});
    EXPECT_EQ(run.status, kExitPassed) << run.out << run.err;
    EXPECT_EQ(run.out, "profiles: " + (folder / "sk.mdb") +
                           ", 2 row(s)\n"
                           "row 0: 甲站  search " +
                           kBase +
                           "/search  ok\n"
                           "row 1: 乙站  search http://x/search  ok\n"
                           "result: passed\n");

    ASSERT_TRUE(WriteProfileFile(folder / "empty.mdb", {}));
    EXPECT_EQ(Probe({"sites", "--profiles", folder / "empty.mdb"}).status, kExitFailed);
}

}  // namespace
}  // namespace qingwu::probe::testing
