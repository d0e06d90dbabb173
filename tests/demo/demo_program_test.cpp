// The demo site program from the outside: its command line, where it listens, what it serves
// without the fortune texts and with the real ones.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "demo/options.h"
#include "tests/demo/demo_site_process.h"
#include "tests/demo/fixture_texts.h"
#include "tests/demo/profile_patterns.h"
#include "tests/demo/raw_http_client.h"
#include "text/gbk.h"

namespace qingwu::demo::testing {
namespace {

Text Gbk(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

const Text& ProfileField(const char* name) {
    static const ProfileRows profiles = LoadDeliveredProfiles();
    static const Text empty;
    return profiles.rows.empty() ? empty : profiles.rows.front().at(name);
}

RawResponse SearchTitle(std::uint16_t port, std::string_view titleUtf8) {
    return PostForm(port, "/modules/article/search.php",
                    "searchclass=1&searchkey=" + Gbk(titleUtf8));
}

// The local addresses (as /proc/net/tcp or tcp6 writes them) of the listening sockets on port.
std::vector<std::string> ListeningAddresses(const char* table, std::uint16_t port) {
    std::ifstream in(table);
    std::string line;
    std::getline(in, line);  // column titles
    std::vector<std::string> addresses;
    char portHex[8];
    std::snprintf(portHex, sizeof portHex, "%04X", port);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        const std::size_t colon = local.find(':');
        if (state == "0A" && colon != std::string::npos && local.substr(colon + 1) == portHex) {
            addresses.push_back(local.substr(0, colon));
        }
    }
    return addresses;
}

class TemporaryDir {
  public:
    TemporaryDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qingwu-demo-run-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~TemporaryDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

TEST(DemoProgram, ListensOnTheLoopbackAddressOnlyAndReportsItsPort) {
    const TemporaryDir dir;
    const auto portFile = dir.Path() / "port";
    const DemoSiteProcess site({"--port", "0", "--port-file", portFile.string(), "--texts",
                                (dir.Path() / "no-texts").string()});
    ASSERT_TRUE(site.Started()) << site.FirstOutput();
    EXPECT_EQ(ListeningAddresses("/proc/net/tcp", site.Port()),
              std::vector<std::string>{"0100007F"});  // 127.0.0.1
    EXPECT_TRUE(ListeningAddresses("/proc/net/tcp6", site.Port()).empty());
    std::ifstream in(portFile);
    std::string written;
    std::getline(in, written);
    EXPECT_EQ(written, std::to_string(site.Port()));
    EXPECT_FALSE(std::filesystem::exists(portFile.string() + ".tmp"));
}

TEST(DemoProgram, RefusesBadArgumentsAndEveryOtherBindAddress) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* message;  // part of what it writes to stderr
    };
    const Case cases[] = {
        {"any address", {"--port", "0", "--bind", "0.0.0.0"}, "127.0.0.1 only"},
        {"ipv6 any address", {"--port", "0", "--bind", "::"}, "127.0.0.1 only"},
        {"a network address", {"--port", "0", "--bind", "192.168.1.10"}, "127.0.0.1 only"},
        {"another loopback spelling", {"--port", "0", "--bind", "localhost"}, "127.0.0.1 only"},
        {"port out of range", {"--port", "65536"}, "not a port number"},
        {"port not a number", {"--port", "80a"}, "not a port number"},
        {"port without a value", {"--port"}, "needs a value"},
        {"unknown argument", {"--host", "0.0.0.0"}, "unknown argument"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ExitedProcess run = RunDemoSiteToExit(c.args);
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out.find("listening"), std::string::npos);
    }
    const DemoSiteProcess loopback({"--port", "0", "--bind", "127.0.0.1"});
    EXPECT_TRUE(loopback.Started()) << loopback.FirstOutput();
}

TEST(DemoProgram, DefaultsToThePortOfTheDeliveredProfile) {
    Options options;
    std::string error;
    ASSERT_TRUE(ParseOptions({}, options, error));
    EXPECT_EQ(options.port, 18080);
    EXPECT_EQ(ProfileField("书库网站搜索页地址").substr(0, 23), "http://127.0.0.1:18080/");
}

TEST(DemoProgram, ExitsWithAMessageWhenThePortIsTaken) {
    const int holder = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(holder, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(holder, 1), 0);
    ASSERT_EQ(::getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const ExitedProcess run =
        RunDemoSiteToExit({"--port", std::to_string(ntohs(address.sin_port))});
    ::close(holder);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot bind 127.0.0.1:"), std::string::npos) << run.err;
}

TEST(DemoProgram, ServesTheBuiltInBookWithoutTheFortuneTexts) {
    const TemporaryDir dir;
    const DemoSiteProcess site({"--port", "0", "--texts", (dir.Path() / "absent").string()});
    ASSERT_TRUE(site.Started());
    const RawResponse result = SearchTitle(site.Port(), "青梧");
    ASSERT_EQ(result.status, 200);
    ASSERT_EQ(MatchGroups(ProfileField("书号正则"), result.body).size(), 1u);
    EXPECT_EQ(MatchGroups(ProfileField("书号正则"), result.body)[0][0], "3001");
    EXPECT_EQ(MatchGroups(ProfileField("书号前缀正则"), result.body)[0][0], "3");
    const RawResponse list = Get(site.Port(), "/book/3/3001/");
    EXPECT_EQ(MatchGroups(ProfileField("书库列出全部章节正则"), list.body).size(), 4u);
    EXPECT_EQ(Get(site.Port(), "/book/3/3001/4.html").status, 200);
}

// With Debian's fortunes-zh installed (scripts/install-deps.sh installs it): the three books
// with every entry, the big one listed whole on one page.
TEST(DemoProgram, ServesTheFortuneBooksOfTheSystem) {
    const std::filesystem::path texts{std::string(kDefaultTextsDir)};
    for (const char* file : {"tang300.u8", "song100.u8", "chinese.u8"}) {
        if (!std::filesystem::exists(texts / file)) {
            GTEST_SKIP() << texts / file << " is not installed";
        }
    }
    const DemoSiteProcess site({"--port", "0"});
    ASSERT_TRUE(site.Started());
    const RawResponse tang = SearchTitle(site.Port(), "唐诗");
    EXPECT_EQ(MatchGroups(ProfileField("书名正则"), tang.body),
              (std::vector<std::vector<Text>>{{Gbk("唐诗三百首")}}));
    struct Case {
        const char* name;
        const char* path;
        std::size_t minimumChapters;
    };
    const Case cases[] = {
        {"tang", "/book/1/1001/", 300},      // 唐诗三百首
        {"song", "/book/1/1002/", 90},       // 宋词一百首
        {"sayings", "/book/2/2001/", 4000},  // 古文名句集
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto started = std::chrono::steady_clock::now();
        const RawResponse list = Get(site.Port(), c.path);
        const auto took = std::chrono::steady_clock::now() - started;
        ASSERT_EQ(list.status, 200);
        const auto chapters = MatchGroups(ProfileField("书库列出全部章节正则"), list.body);
        EXPECT_GE(chapters.size(), c.minimumChapters);
        // Every chapter listed is there, the last one included.
        const RawResponse last = Get(site.Port(), std::string(c.path) + chapters.back()[0]);
        EXPECT_EQ(last.status, 200);
        EXPECT_EQ(
            Get(site.Port(), std::string(c.path) + std::to_string(chapters.size() + 1) + ".html")
                .status,
            404);
        RecordProperty(
            std::string("chapter_list_ms_") + c.name,
            std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(took).count() /
                           1000.0));
    }
}

}  // namespace
}  // namespace qingwu::demo::testing
