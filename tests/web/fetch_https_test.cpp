// "https://" addresses go over TLS with certificate checks. The server is openssl's own test
// server on 127.0.0.1 with a self-signed certificate made for the test.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/web/fetch_fixture.h"
#include "web/fetch_page.h"

namespace qingwu::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kOpenssl = "/usr/bin/openssl";

// Starts program with arguments in directory; its standard output goes to outFd when >= 0.
pid_t Spawn(const std::vector<std::string>& arguments, const fs::path& directory, int outFd) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = open("/dev/null", O_WRONLY);
        if (chdir(directory.c_str()) != 0) {
            _exit(127);
        }
        dup2(outFd >= 0 ? outFd : devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

bool RunToEnd(const std::vector<std::string>& arguments, const fs::path& directory) {
    const pid_t pid = Spawn(arguments, directory, -1);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// openssl s_server in -WWW mode, serving the files of a fresh directory over TLS on 127.0.0.1,
// on a port of the system's choosing. Stopped (by its process id) when the object goes.
class TlsFileServer {
  public:
    TlsFileServer() {
        char pattern[] = "/tmp/qingwu-tls-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            return;
        }
        directory_ = pattern;
        if (!RunToEnd(
                {kOpenssl, "req", "-x509", "-newkey", "ec", "-pkeyopt",
                 "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", "key.pem", "-out", "cert.pem",
                 "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"},
                directory_)) {
            return;
        }
        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0) {
            return;
        }
        pid_ = Spawn({kOpenssl, "s_server", "-accept", "127.0.0.1:0", "-cert", "cert.pem", "-key",
                      "key.pem", "-WWW"},
                     directory_, pipeFds[1]);
        close(pipeFds[1]);
        port_ = ReadAcceptedPort(pipeFds[0]);
        close(pipeFds[0]);
    }

    ~TlsFileServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (!directory_.empty()) {
            std::error_code ignored;
            fs::remove_all(directory_, ignored);
        }
    }

    bool Running() const { return port_ > 0; }
    int Port() const { return port_; }
    fs::path CertificateFile() const { return directory_ / "cert.pem"; }
    void AddFile(const std::string& name, const std::string& content) const {
        std::ofstream(directory_ / name, std::ios::binary) << content;
    }

  private:
    // The server prints "ACCEPT 127.0.0.1:<port>" once it listens; waits for it (bounded).
    static int ReadAcceptedPort(int fd) {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        std::string output;
        const std::string marker = "ACCEPT 127.0.0.1:";
        while (Clock::now() < deadline) {
            const std::size_t at = output.find(marker);
            if (at != std::string::npos && output.find('\n', at) != std::string::npos) {
                return std::atoi(output.c_str() + at + marker.size());
            }
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) {
                continue;
            }
            char chunk[256];
            const ssize_t got = read(fd, chunk, sizeof chunk);
            if (got <= 0) {
                return 0;
            }
            output.append(chunk, static_cast<std::size_t>(got));
        }
        return 0;
    }

    fs::path directory_;
    pid_t pid_ = -1;
    int port_ = 0;
};

class FetchHttps : public FetchTest {
  protected:
    void SetUp() override {
        FetchTest::SetUp();
        if (access(kOpenssl, X_OK) != 0) {
            GTEST_SKIP() << "openssl is not installed";
        }
        server_ = std::make_unique<TlsFileServer>();
        ASSERT_TRUE(server_->Running());
        server_->AddFile("page.html", "<html>\xC3\xDC\xC2\xEB over TLS</html>");
    }

    std::string Address(const std::string& scheme, const std::string& host) const {
        return scheme + host + ":" + std::to_string(server_->Port()) + "/page.html";
    }

    std::unique_ptr<TlsFileServer> server_;
};

TEST_F(FetchHttps, TrustedCertificateGivesThePage) {
    CurrentFetchLimits().caFile = server_->CertificateFile().string();
    for (const char* scheme : {"https://", "HTTPS://", "hTtPs://"}) {
        SCOPED_TRACE(scheme);
        EXPECT_EQ(FetchPage(Address(scheme, "127.0.0.1")),
                  "<html>\xC3\xDC\xC2\xEB over TLS</html>");
    }
}

TEST_F(FetchHttps, CertificateChecksRefuseWhatTheyCannotVerify) {
    // The system's trust store does not know the test's own certificate.
    EXPECT_EQ(FetchPage(Address("https://", "127.0.0.1")), "");

    // Trusted, but made for 127.0.0.1 only: the name "localhost" does not match it.
    CurrentFetchLimits().caFile = server_->CertificateFile().string();
    EXPECT_EQ(FetchPage(Address("https://", "localhost")), "");
}

TEST_F(FetchHttps, PlainHttpToATlsPortGivesEmptyText) {
    CurrentFetchLimits().caFile = server_->CertificateFile().string();
    CurrentFetchLimits().receiveTimeout = std::chrono::milliseconds(2000);
    EXPECT_EQ(FetchPage(Address("http://", "127.0.0.1")), "");
}

}  // namespace
}  // namespace qingwu::test
