// A process that rewrites the reader settings and the open book's bookmark over and over is
// killed with SIGKILL at moments chosen at random, again and again. After every kill the shelf
// file must be sound: 设置 holds exactly one row of valid choices and 书签列表 keeps every entry,
// each bookmark whole (its chapter title and row from the same save).
#include <poll.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

#include "store/record_set.h"
#include "store/tables.h"
#include "tests/support/temp_run_dir.h"
#include "text/gbk.h"

namespace qingwu {
namespace {

using test::TempRunDir;

constexpr int kKills = 30;

// The chapter title the writer stores with row n; a torn save would pair a title with another
// row.
std::string ChapterTitleUtf8(int n) {
    return "第" + std::to_string(n) + "章 风雨";
}

// The writer: the same statements the reader issues through the store when a selector changes
// (the settings rewrite, one transaction) and when a chapter of a shelved book is shown (the
// bookmark save). Reports each finished round on progress, one byte a round, until killed.
[[noreturn]] void RunWriter(const std::string& db1, int progress) {
    DatabaseConnection connection;
    RecordSet records;
    OpenDatabase(connection, db1, "");
    BindRecordSet(records, connection);
    const Text title = Utf8ToGbk("风雨'; DROP TABLE 书签列表; --");
    const Text site = Utf8ToGbk("青梧书屋");
    for (uint32_t round = 1;; ++round) {
        InTransaction(records, [&] {
            OpenRecordSet(records, table::kSettings, RecordSource::TableName);
            DeleteRecords(records, DeleteScope::WholeTable);
            AddRecord(records);
            WriteInteger(records, settings_pos::kFontSize, round % 3);
            WriteInteger(records, settings_pos::kBackgroundColour, round % 4);
            SaveRecord(records);
        });
        OpenRecordSet(records, sql::kShelfEntryOfBook, RecordSource::SqlStatement, {title, site});
        if (RecordCount(records) > 0) {
            const int chapter = static_cast<int>(round % 5000);
            WriteText(records, shelf_pos::kBookmark, Utf8ToGbk(ChapterTitleUtf8(chapter)));
            WriteText(records, shelf_pos::kChapter, std::to_string(chapter));
            SaveRecord(records);
        }
        const char tick = 1;
        if (write(progress, &tick, 1) != 1) {
            _exit(2);
        }
    }
}

// Reads one progress byte, waiting at most 10 s; false when the writer stopped reporting.
bool ReadTick(int fd) {
    pollfd entry{fd, POLLIN, 0};
    if (poll(&entry, 1, 10000) != 1) {
        return false;
    }
    char tick = 0;
    return read(fd, &tick, 1) == 1;
}

TEST(SettingsKill, ShelfFileStaysWholeAcrossKills) {
    TempRunDir run;
    ASSERT_TRUE(run.ExecDb1(
        "INSERT INTO 书签列表 VALUES ('风雨''; DROP TABLE 书签列表; --', '某甲', '1234', "
        "'第0章 风雨', '1', '0', '青梧书屋');"
        "INSERT INTO 书签列表 VALUES ('山海', '某乙', '77', '序章', '0', '3', '青梧书屋');"
        "INSERT INTO 书签列表 VALUES ('x'' OR ''1''=''1', '某丙', '8', '尾声', '0', '12', "
        "'别的书库');"));
    const TempRunDir::Rows untouched = run.QueryDb1(
        "SELECT * FROM 书签列表 WHERE 书籍名称 <> '风雨''; DROP TABLE 书签列表; --' "
        "ORDER BY rowid");
    ASSERT_EQ(untouched.size(), 2u);

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> roundsBeforeKill(1, 6);
    for (int round = 0; round < kKills; ++round) {
        SCOPED_TRACE("kill " + std::to_string(round + 1));
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFds[0]);
            RunWriter(run.DataPath("db1.mdb"), pipeFds[1]);
        }
        close(pipeFds[1]);
        // Let the writer finish a random number of rounds, then kill it at a random moment of
        // the next one: somewhere within the time its last round took.
        const int rounds = roundsBeforeKill(random);
        bool reporting = true;
        auto tickAt = std::chrono::steady_clock::now();
        std::chrono::steady_clock::duration roundTime{};
        for (int i = 0; i < rounds && reporting; ++i) {
            reporting = ReadTick(pipeFds[0]);
            const auto now = std::chrono::steady_clock::now();
            roundTime = now - tickAt;
            tickAt = now;
        }
        const auto killAt =
            tickAt + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                         roundTime * std::uniform_real_distribution<double>(0.0, 1.0)(random));
        std::this_thread::sleep_until(killAt);
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(reporting) << "the writer stopped before it was killed";
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        // The writer may have run ahead of the reading: every round it reported counts.
        int done = rounds;
        char ticks[256];
        for (ssize_t got; (got = read(pipeFds[0], ticks, sizeof ticks)) > 0;) {
            done += static_cast<int>(got);
        }
        close(pipeFds[0]);

        // Opening the file rolls back what the killed writer left half done.
        EXPECT_EQ(run.QueryDb1("PRAGMA integrity_check"), TempRunDir::Rows{{"ok"}});
        const TempRunDir::Rows settings = run.QueryDb1("SELECT 字体大小, 背景颜色 FROM 设置");
        ASSERT_EQ(settings.size(), 1u) << "设置 must hold exactly one row";
        // Every round the writer reported was stored; the round it was killed in is stored
        // whole or not at all.
        const std::pair<int, int> stored{std::stoi(settings[0][0]), std::stoi(settings[0][1])};
        const auto settingsOf = [](int round) { return std::pair<int, int>{round % 3, round % 4}; };
        EXPECT_TRUE(stored == settingsOf(done) || stored == settingsOf(done + 1))
            << stored.first << "," << stored.second << " after " << done << " rounds";

        EXPECT_EQ(run.QueryDb1("SELECT count(*) FROM 书签列表"), TempRunDir::Rows{{"3"}});
        EXPECT_EQ(run.QueryDb1("SELECT * FROM 书签列表 WHERE 书籍名称 <> "
                               "'风雨''; DROP TABLE 书签列表; --' ORDER BY rowid"),
                  untouched);
        const TempRunDir::Rows bookmark = run.QueryDb1(
            "SELECT 作者, 书号, 书签, 书号前缀, 当前章节, 书库 FROM 书签列表 "
            "WHERE 书籍名称 = '风雨''; DROP TABLE 书签列表; --'");
        ASSERT_EQ(bookmark.size(), 1u);
        const int chapter = std::stoi(bookmark[0][4]);
        EXPECT_EQ(bookmark[0][2], ChapterTitleUtf8(chapter)) << "a torn bookmark save";
        EXPECT_EQ(bookmark[0][0], "某甲");
        EXPECT_EQ(bookmark[0][1], "1234");
        EXPECT_EQ(bookmark[0][3], "1");
        EXPECT_EQ(bookmark[0][5], "青梧书屋");
        EXPECT_TRUE(chapter == done % 5000 || chapter == (done + 1) % 5000)
            << chapter << " after " << done << " rounds";
    }
}

}  // namespace
}  // namespace qingwu
