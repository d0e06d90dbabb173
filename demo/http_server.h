#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "demo/site.h"

namespace qingwu::demo {

// Owns one POSIX file descriptor and closes it when destroyed. Move-only.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_ = -1;
};

// A listening TCP socket on 127.0.0.1 and the port it got.
struct LoopbackListener {
    FileDescriptor socket;
    std::uint16_t port = 0;
};

// Binds 127.0.0.1:port (0 = any free port) and listens. The address is fixed: the demo site is
// never reachable from another machine. Nothing, with error set to the reason, on failure.
std::optional<LoopbackListener> ListenOnLoopback(std::uint16_t port, std::string& error);

// Accepts connections until the listening socket fails, each served on a thread of its own:
// one request is read (head up to kMaxHeadBytes, body up to kMaxBodyBytes, 10 s of silence at
// most), answered by the site and the connection closed. More than kMaxConnections at once are
// answered 503. The site must outlive the call.
void ServeForever(const LoopbackListener& listener, const Site& site);

inline constexpr int kMaxConnections = 128;

}  // namespace qingwu::demo
