#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_run_dir.h"

extern char** environ;

namespace qingwu::test {
namespace {

namespace fs = std::filesystem;
using Rows = TempRunDir::Rows;

// Runs qingwu-makedb with args; its exit status, or -1 when it did not exit normally.
int RunMakeDb(const std::vector<std::string>& args) {
    std::vector<std::string> all = {QINGWU_MAKEDB};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class MakeDbTest : public ::testing::Test {
  protected:
    fs::path Folder() const { return fs::path(dir.Path()) / "made"; }
    std::string Out() const { return (Folder() / "out.mdb").string(); }
    std::string Sql(const std::string& name, const std::string& text) const {
        const fs::path file = fs::path(dir.Path()) / name;
        std::ofstream(file) << text;
        return file.string();
    }
    void SetUp() override { fs::create_directory(Folder()); }

    TempRunDir dir;
};

TEST_F(MakeDbTest, CreatesTheDeliveredFilesFromTheRepositorySql) {
    const std::string data = std::string(QINGWU_SOURCE_DIR) + "/data/";
    const std::string sk = (Folder() / "sk.mdb").string();
    ASSERT_EQ(RunMakeDb({Out(), data + "db1.sql"}), 0);
    ASSERT_EQ(RunMakeDb({sk, data + "sk.schema.sql", data + "sk.rows.sql"}), 0);
    EXPECT_EQ(TempRunDir::Query(Out(), "select * from 设置"), (Rows{{"2", "0"}}));
    EXPECT_EQ(TempRunDir::Query(Out(), "select count(*) from pragma_table_info('书签列表')"),
              (Rows{{"7"}}));
    EXPECT_EQ(TempRunDir::Query(sk, "select count(*) from pragma_table_info('书库信息')"),
              (Rows{{"19"}}));
    EXPECT_EQ(Names(Folder()), (std::vector<std::string>{"out.mdb", "sk.mdb"}));
}

// An existing file is never replaced or changed, whatever it holds.
TEST_F(MakeDbTest, NeverTouchesAnExistingFile) {
    const std::string sql = Sql("a.sql", "create table t (x); insert into t values (1);");
    struct Case {
        const char* name;
        std::function<void()> make;
    };
    const Case cases[] = {
        {"a user's database",
         [&] {
             ASSERT_EQ(RunMakeDb({Out(), sql}), 0);
             ASSERT_TRUE(TempRunDir::Exec(Out(), "update t set x = 42"));
         }},
        {"a file that is not a database", [&] { std::ofstream(Out()) << "keep me"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(Out());
        c.make();
        const std::string before = Contents(Out());
        EXPECT_EQ(RunMakeDb({Out(), sql}), 0);
        EXPECT_EQ(Contents(Out()), before);
        EXPECT_EQ(Names(Folder()), std::vector<std::string>{"out.mdb"});
    }
}

// A failure leaves neither the file nor any temporary file behind.
TEST_F(MakeDbTest, FailureLeavesNothingBehind) {
    struct Case {
        const char* name;
        std::vector<std::string> sqlFiles;
    };
    const Case cases[] = {
        {"error in the second file",
         {Sql("good.sql", "create table t (x);"),
          Sql("bad.sql", "insert into nowhere values (1);")}},
        {"missing SQL file", {(fs::path(dir.Path()) / "absent.sql").string()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {Out()};
        args.insert(args.end(), c.sqlFiles.begin(), c.sqlFiles.end());
        EXPECT_EQ(RunMakeDb(args), 1);
        EXPECT_TRUE(Names(Folder()).empty());
    }
    EXPECT_EQ(RunMakeDb({Out()}), 2);
}

}  // namespace
}  // namespace qingwu::test
