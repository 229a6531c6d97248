#include "ui/display.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/unique_fd.h"

namespace ui {

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

bool ConnectUnix(const std::string& path, bool abstractName) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::size_t offset = abstractName ? 1 : 0;
  if (path.size() + offset + 1 > sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path + offset, path.data(), path.size());
  const socklen_t len =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstractName ? 0 : 1));
  const platform::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  return fd && ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), len) == 0;
}

// A display on another machine that does not answer must not hold up the
// start for minutes: each address gets two seconds.
bool ConnectTcp(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  bool ok = false;
  for (addrinfo* a = found; a != nullptr && !ok; a = a->ai_next) {
    const platform::UniqueFd fd(
        ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol));
    if (!fd) continue;
    if (::connect(fd.get(), a->ai_addr, a->ai_addrlen) == 0) {
      ok = true;
    } else if (errno == EINPROGRESS) {
      pollfd p{fd.get(), POLLOUT, 0};
      int error = 0;
      socklen_t len = sizeof error;
      ok = ::poll(&p, 1, 2000) == 1 &&
           ::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
    }
  }
  ::freeaddrinfo(found);
  return ok;
}

bool WaylandReachable() {
  std::string name = std::getenv("WAYLAND_DISPLAY");
  if (name.front() != '/') {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr) return false;
    name = std::string(runtime) + "/" + name;
  }
  return ConnectUnix(name, false);
}

bool X11Reachable() {
  const std::string display = std::getenv("DISPLAY");
  const std::size_t colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  std::string host = display.substr(0, colon);
  const int number = std::atoi(display.c_str() + colon + 1);
  if (host.empty() || host == "unix" || host.front() == '/') {
    // A launchd-style path names the socket itself.
    if (!host.empty() && host.front() == '/') return ConnectUnix(display.substr(0, colon), false);
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
    return ConnectUnix(path, false) || ConnectUnix(path, true);
  }
  return ConnectTcp(host, 6000 + number);
}

}  // namespace

bool HasDisplay() {
  const char* headless = std::getenv("TANDRIX_HEADLESS");
  if (headless != nullptr && std::strcmp(headless, "1") == 0) return false;
  return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

bool DisplayReachable(std::string* why) {
  if (const char* platform = std::getenv("QT_QPA_PLATFORM"); platform != nullptr) {
    const std::string p = platform;
    if (p.rfind("offscreen", 0) == 0 || p.rfind("minimal", 0) == 0 || p.rfind("vnc", 0) == 0 ||
        p.rfind("linuxfb", 0) == 0 || p.rfind("eglfs", 0) == 0) {
      return true;
    }
  }
  if (IsSet("WAYLAND_DISPLAY") && WaylandReachable()) return true;
  if (IsSet("DISPLAY") && X11Reachable()) return true;
  if (why != nullptr) {
    *why = IsSet("WAYLAND_DISPLAY") || IsSet("DISPLAY") ? "the display does not answer"
                                                          : "no display";
  }
  return false;
}

}  // namespace ui
