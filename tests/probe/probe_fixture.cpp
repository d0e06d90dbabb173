#include "tests/probe/probe_fixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "probe/commands.h"
#include "probe/site_profiles.h"
#include "text/gbk.h"

namespace qingwu::probe::testing {
namespace {

struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using DatabasePtr = std::unique_ptr<sqlite3, DatabaseCloser>;
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

DatabasePtr CreateDatabase(const std::string& path) {
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    DatabasePtr db(raw);
    if (rc != SQLITE_OK) {
        ADD_FAILURE() << "cannot create " << path;
        return nullptr;
    }
    return db;
}

bool Execute(sqlite3* db, const std::string& script) {
    char* message = nullptr;
    if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        ADD_FAILURE() << "SQL refused: " << (message ? message : "") << "\n" << script;
        sqlite3_free(message);
        return false;
    }
    return true;
}

std::string Gbk(const std::string& utf8) {
    return Utf8ToGbk(utf8);
}

}  // namespace

std::string ProfileSchemaSql() {
    const std::string schema = ReadFileBytes(QINGWU_SOURCE_DIR "/data/sk.schema.sql");
    if (!schema.empty()) {
        return schema;
    }
    std::string create = "CREATE TABLE 书库信息 (";
    for (size_t i = 0; i < kSiteFields.size(); ++i) {
        create += (i ? ", " : "") + std::string(kSiteFields[i]) + " TEXT";
    }
    return create + ");";
}

ProbeRun Probe(const std::vector<std::string>& args, const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    CommandContext ctx{in, out, err, "/nonexistent/qingwu-probe-test/data/sk.mdb"};
    ProbeRun run;
    run.status = RunProbe(args, ctx);
    run.out = out.str();
    run.err = err.str();
    return run;
}

QJsonObject JsonOf(const ProbeRun& run) {
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        ADD_FAILURE() << "not a JSON object (" << error.errorString().toStdString() << " at "
                      << error.offset << "):\n"
                      << run.out << "\nstderr:\n"
                      << run.err;
        return {};
    }
    return document.object();
}

std::string Str(const QJsonObject& object, const char* key) {
    return object.value(QLatin1String(key)).toString().toStdString();
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qingwu-probe-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot make a temporary folder";
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

bool RunSqlScript(const std::string& path, const std::string& script) {
    const DatabasePtr db = CreateDatabase(path);
    return db && Execute(db.get(), script);
}

bool WriteProfileFile(const std::string& path, const std::vector<ProfileRow>& rows) {
    std::error_code ec;
    std::filesystem::remove(path, ec);  // a test may write the file again with other rows
    const DatabasePtr db = CreateDatabase(path);
    if (!db || !Execute(db.get(), ProfileSchemaSql())) {
        return false;
    }
    std::string insert = "INSERT INTO 书库信息 (";
    std::string values = ") VALUES (";
    for (size_t i = 0; i < kSiteFields.size(); ++i) {
        insert += (i ? ", " : "") + std::string(kSiteFields[i]);
        values += i ? ", ?" : "?";
    }
    insert += values + ")";
    for (const ProfileRow& row : rows) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db.get(), insert.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db.get());
            return false;
        }
        const StatementPtr statement(raw);
        for (size_t i = 0; i < kSiteFields.size(); ++i) {
            const auto value = row.find(std::string(kSiteFields[i]));
            const std::string text = value == row.end() ? std::string() : value->second;
            sqlite3_bind_text(statement.get(), static_cast<int>(i + 1), text.c_str(),
                              static_cast<int>(text.size()), SQLITE_TRANSIENT);
        }
        if (sqlite3_step(statement.get()) != SQLITE_DONE) {
            ADD_FAILURE() << sqlite3_errmsg(db.get());
            return false;
        }
    }
    return true;
}

ProfileRow TestSiteProfile(const std::string& name, const std::string& base) {
    return {
        {"书库名称", name},
        {"书库网站搜索页地址", base + "/search"},
        {"作者正则", "<i class=\"author\">([^<]*)</i>"},
        {"书号正则", "<i class=\"id\">(\\d+)</i>"},
        {"书号前缀正则", "<i class=\"prefix\">(\\d+)</i>"},
        {"书名正则", "<i class=\"title\">([^<]*)</i>"},
        {"网址章节列表页", base + "/b/文章子序号/文章序号/"},
        {"网址章节内容页", base + "/b/文章子序号/文章序号/"},
        {"书库列出全部章节正则", "<dd><a href=\"(\\d+\\.html)\">([^<]*)</a></dd>"},
        {"小说标题前过滤文本", "<h1>"},
        {"小说标题后过滤文本", "</h1>"},
        {"小说内容前过滤文本", "<div id=\"c\">"},
        {"小说内容后过滤文本", "</div>"},
    };
}

std::string SearchPage(const std::vector<std::string>& authors, const std::vector<std::string>& ids,
                       const std::vector<std::string>& prefixes,
                       const std::vector<std::string>& titles) {
    std::string page = "<html><body><p>搜索结果</p>\n";
    const auto add = [&page](const char* kind, const std::vector<std::string>& values) {
        for (const std::string& value : values) {
            page += std::string("<i class=\"") + kind + "\">" + value + "</i>\n";
        }
    };
    add("author", authors);
    add("id", ids);
    add("prefix", prefixes);
    add("title", titles);
    return Gbk(page + "</body></html>");
}

std::string ChapterListPage(int count) {
    std::string page = "<html><body><dl>\n";
    for (int n = 1; n <= count; ++n) {
        page += "<dd><a href=\"" + std::to_string(n) + ".html\">第" + std::to_string(n) +
                "章</a></dd>\n";
    }
    return Gbk(page + "</dl></body></html>");
}

std::string ChapterPage(const std::string& title, const std::string& text) {
    return Gbk("<html><body><h1>" + title + "</h1>\n<div id=\"c\">" + text +
               "</div></body></html>");
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qingwu::probe::testing
