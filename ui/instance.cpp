#include "ui/instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/unique_fd.h"

namespace ui {

namespace {

constexpr const char kRequest[] = "TDXMSG";
constexpr const char kReply[] = "TDXRET";
constexpr int kRequestReadTimeoutMs = 2000;

std::string Sanitize(std::string_view className) {
  std::string out;
  for (char c : className) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '.';
    out += keep ? c : '_';
  }
  return out;
}

// Fills addr for className; returns the address length, 0 when impossible.
socklen_t MakeAddress(std::string_view className, sockaddr_un& addr, std::string& path) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  const std::string name = "tandrix-" + Sanitize(className);
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  if (runtime != nullptr && runtime[0] == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) {
    const std::string full = std::string(runtime) + "/" + name + ".sock";
    if (full.size() < sizeof addr.sun_path) {
      std::memcpy(addr.sun_path, full.c_str(), full.size() + 1);
      path = full;
      return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + full.size() + 1);
    }
  }
  // The abstract namespace: no file, so nothing is left behind.
  const std::string abstractName = name + "-" + std::to_string(::getuid());
  if (abstractName.size() + 1 > sizeof addr.sun_path) return 0;
  addr.sun_path[0] = '\0';
  std::memcpy(addr.sun_path + 1, abstractName.data(), abstractName.size());
  path.clear();
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + abstractName.size());
}

bool SameUser(int fd) {
  ucred cred{};
  socklen_t len = sizeof cred;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return false;
  return cred.uid == ::getuid();
}

// Connects to the instance; none when none listens. state (when given)
// tells nobody there from a name that is held but cannot be reached.
platform::UniqueFd Connect(std::string_view className, InstanceState* state = nullptr,
                           std::string* why = nullptr) {
  auto result = [&](InstanceState st, const std::string& text) {
    if (state != nullptr) *state = st;
    if (why != nullptr) *why = text;
    return platform::UniqueFd();
  };
  sockaddr_un addr;
  std::string path;
  const socklen_t len = MakeAddress(className, addr, path);
  if (len == 0) return result(InstanceState::kUnreachable, "no socket address fits the name");
  platform::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd) return result(InstanceState::kUnreachable, std::strerror(errno));
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), len) != 0) {
    const int err = errno;
    struct stat st {};
    // Nothing there, or the socket of a program that died.
    if (err == ENOENT || (err == ECONNREFUSED && (path.empty() || (::lstat(path.c_str(), &st) == 0 &&
                                                                    S_ISSOCK(st.st_mode))))) {
      return result(InstanceState::kNone, "");
    }
    if (err == ECONNREFUSED) return result(InstanceState::kUnreachable, "something else is at " + path);
    return result(InstanceState::kUnreachable,
                  (path.empty() ? InstanceAddress(className) : path) + ": " + std::strerror(err));
  }
  if (!SameUser(fd.get())) {
    return result(InstanceState::kUnreachable, "another user's program listens at " + path);
  }
  if (state != nullptr) *state = InstanceState::kRunning;
  return fd;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Reads one line (without its '\n') within timeoutMs; false on timeout,
// end of stream or an overlong line.
bool ReadLine(int fd, std::string& line, int timeoutMs) {
  line.clear();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    char c;
    const ssize_t n = ::recv(fd, &c, 1, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    if (c == '\n') return true;
    line += c;
    if (line.size() > 200) return false;
  }
}

}  // namespace

std::string InstanceAddress(std::string_view className) {
  sockaddr_un addr;
  std::string path;
  if (MakeAddress(className, addr, path) == 0) return {};
  if (!path.empty()) return path;
  return "@" + std::string(addr.sun_path + 1);
}

bool InstanceListener::IsListening() const { return fd_ >= 0; }

InstanceListener::~InstanceListener() { Close(); }

bool InstanceListener::Listen(std::string_view className, Handler handler) {
  Close();
  error_.clear();
  // The socket made below is closed by its owner on every way out.
  auto fail = [&](const std::string& why) {
    error_ = why;
    return false;
  };
  sockaddr_un addr;
  std::string path;
  const socklen_t len = MakeAddress(className, addr, path);
  if (len == 0) return fail("no socket address fits the name");
  const std::string where = path.empty() ? InstanceAddress(className) : path;
  platform::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd) return fail(std::string("no socket: ") + std::strerror(errno));
  if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&addr), len) != 0) {
    const int err = errno;
    if (err == EADDRINUSE && path.empty()) return fail("another instance listens at " + where);
    if (err != EADDRINUSE) return fail("cannot make " + where + ": " + std::strerror(err));
    // A file is there. A socket nobody answers on was left by a program
    // that died: replace it. Anything else is not ours to remove.
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) {
      return fail("something else is at " + path);
    }
    const platform::UniqueFd probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const bool alive =
        probe && ::connect(probe.get(), reinterpret_cast<const sockaddr*>(&addr), len) == 0;
    if (alive) return fail("another instance listens at " + path);
    if (::unlink(path.c_str()) != 0 ||
        ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&addr), len) != 0) {
      return fail("cannot make " + path + ": " + std::strerror(errno));
    }
  }
  if (!path.empty()) ::chmod(path.c_str(), 0600);
  if (::listen(fd.get(), 8) != 0) {
    const int err = errno;
    if (!path.empty()) ::unlink(path.c_str());
    return fail("cannot listen at " + where + ": " + std::strerror(err));
  }
  fd_ = fd.release();
  path_ = path;
  struct stat st {};
  if (!path_.empty() && ::stat(path_.c_str(), &st) == 0) {
    inode_ = st.st_ino;
    device_ = st.st_dev;
  }
  handler_ = std::move(handler);
  return true;
}

void InstanceListener::Close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  if (!path_.empty()) {
    // Only our own file: a newer instance may have replaced it already.
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0 && st.st_ino == inode_ && st.st_dev == device_) {
      ::unlink(path_.c_str());
    }
  }
  path_.clear();
  handler_ = nullptr;
}

void InstanceListener::HandleReady() {
  while (fd_ >= 0) {
    const platform::UniqueFd conn(::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC));
    if (!conn) {
      if (errno == EINTR) continue;
      return;  // nothing more waiting
    }
    std::string line;
    unsigned message = 0;
    unsigned long long wParam = 0;
    long long lParam = 0;
    char tag[8] = {};
    const bool ok = SameUser(conn.get()) && ReadLine(conn.get(), line, kRequestReadTimeoutMs) &&
                    std::sscanf(line.c_str(), "%7s %u %llu %lld", tag, &message, &wParam,
                                &lParam) == 4 &&
                    std::strcmp(tag, kRequest) == 0;
    if (ok && handler_) {
      // The handler may close the listener; keep what the reply needs.
      Handler handler = handler_;
      const long result = handler(message, static_cast<std::uintptr_t>(wParam),
                                  static_cast<std::intptr_t>(lParam));
      WriteAll(conn.get(), std::string(kReply) + " " + std::to_string(result) + "\n");
    }
  }
}

bool InstanceExists(std::string_view className) { return static_cast<bool>(Connect(className)); }

int InstanceProcessId(std::string_view className) {
  const platform::UniqueFd fd = Connect(className);
  if (!fd) return 0;
  ucred cred{};
  socklen_t len = sizeof cred;
  const bool known = ::getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0;
  return known ? static_cast<int>(cred.pid) : 0;
}

InstanceState ProbeInstance(std::string_view className, std::string* why) {
  InstanceState state = InstanceState::kNone;
  Connect(className, &state, why);
  return state;
}

bool SendInstanceMessage(std::string_view className, unsigned message, std::uintptr_t wParam,
                         std::intptr_t lParam, long* result, int timeoutMs) {
  platform::UniqueFd fd = Connect(className);
  if (!fd) return false;
  const std::string request = std::string(kRequest) + " " + std::to_string(message) + " " +
                              std::to_string(static_cast<unsigned long long>(wParam)) + " " +
                              std::to_string(static_cast<long long>(lParam)) + "\n";
  std::string line;
  bool ok = WriteAll(fd.get(), request) && ReadLine(fd.get(), line, timeoutMs);
  fd.reset();
  if (!ok) return false;
  char tag[8] = {};
  long value = 0;
  ok = std::sscanf(line.c_str(), "%7s %ld", tag, &value) == 2 && std::strcmp(tag, kReply) == 0;
  if (ok && result != nullptr) *result = value;
  return ok;
}

}  // namespace ui
