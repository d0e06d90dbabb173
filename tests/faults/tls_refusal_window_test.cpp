// A website profile whose search page is an "https://" address on a server whose certificate
// nobody vouches for (self-signed, made for the test): the reader refuses the connection and
// the search ends with its failure message. The same server with its
// certificate trusted answers, so the refusal is the certificate check's.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/faults/window_fixture.h"

namespace qingwu::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kOpenssl = "/usr/bin/openssl";

// Runs a program to its end with its output thrown away; true when it exited with 0.
bool Run(const std::vector<std::string>& arguments, const fs::path& directory) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = open("/dev/null", O_RDWR);
        if (chdir(directory.c_str()) != 0) {
            _exit(127);
        }
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& a : arguments) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// openssl's test server with a fresh self-signed certificate for 127.0.0.1, serving the files
// of its folder (-WWW) on a port of the system's choosing. Stopped by its process id.
class SelfSignedServer {
  public:
    explicit SelfSignedServer(const fs::path& directory) : directory_(directory) {
        if (!Run(
                {kOpenssl, "req", "-x509", "-newkey", "ec", "-pkeyopt",
                 "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", "key.pem", "-out", "cert.pem",
                 "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"},
                directory_)) {
            return;
        }
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            const int devNull = open("/dev/null", O_RDWR);
            if (chdir(directory_.c_str()) != 0) {
                _exit(127);
            }
            dup2(devNull, STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            dup2(out[1], STDERR_FILENO);
            execl(kOpenssl, kOpenssl, "s_server", "-accept", "127.0.0.1:0", "-cert", "cert.pem",
                  "-key", "key.pem", "-WWW", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
        port_ = ReadPort();
    }
    ~SelfSignedServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) {
            close(out_);
        }
    }
    SelfSignedServer(const SelfSignedServer&) = delete;
    SelfSignedServer& operator=(const SelfSignedServer&) = delete;

    int Port() const { return port_; }
    std::string Certificate() const { return (directory_ / "cert.pem").string(); }

  private:
    // "ACCEPT 127.0.0.1:<port>" once it listens; waited for at most 10 s.
    int ReadPort() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        const std::string marker = "ACCEPT 127.0.0.1:";
        while (std::chrono::steady_clock::now() < deadline) {
            const std::size_t at = output_.find(marker);
            if (at != std::string::npos && output_.find('\n', at) != std::string::npos) {
                return std::atoi(output_.c_str() + at + marker.size());
            }
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) {
                continue;
            }
            char chunk[256];
            const ssize_t got = read(out_, chunk, sizeof chunk);
            if (got <= 0) {
                return 0;
            }
            output_.append(chunk, static_cast<std::size_t>(got));
        }
        return 0;
    }

    fs::path directory_;
    pid_t pid_ = -1;
    int out_ = -1;
    int port_ = 0;
    std::string output_;
};

using TlsRefusal = WindowFixture;

TEST_F(TlsRefusal, SelfSignedHttpsSiteIsRefused) {
    if (access(kOpenssl, X_OK) != 0) {
        GTEST_SKIP() << "openssl is not installed";
    }
    const fs::path folder = fs::path(run_.Path()) / "tls";
    fs::create_directory(folder);
    std::ofstream(folder / "search") << "<td class=\"even\">x</td>";
    SelfSignedServer server(folder);
    ASSERT_GT(server.Port(), 0);
    const std::string address = "https://127.0.0.1:" + std::to_string(server.Port()) + "/search";
    AddProfile("加密书库", address);
    OpenWindow();

    Search("青梧");
    EXPECT_EQ(TakeMessages(),
              std::vector<std::string>{"请检查输入的书名是否正确或该网站不存在此图书！"});
    EXPECT_TRUE(Context().state.FoundBookIds.empty());
    // The loopback site behind the profile's other addresses was never asked either.
    EXPECT_EQ(site_.Server().RequestCount(), 0u);

    // With its certificate trusted the same server answers a GET of the same address.
    CurrentFetchLimits().caFile = server.Certificate();
    EXPECT_EQ(FetchPage(address), "<td class=\"even\">x</td>");
    window_.reset();
}

}  // namespace
}  // namespace qingwu::test
