#include "platform/driver_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/unique_fd.h"

namespace platform {
namespace {

// An answer slower than this means the driver hangs; the caller goes on
// as though the driver were missing rather than freeze the monitor.
constexpr int kAnswerTimeoutMs = 5000;

bool IsDriverDevice(std::string_view path) {
  std::string_view name = path.substr(path.find_last_of("\\/") + 1);
  constexpr std::string_view kName = "vexor.vxd";
  if (name.size() != kName.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(name[i])) != kName[i]) return false;
  }
  return true;
}

class SocketDriverPort final : public DriverPort {
 public:
  DriverHandle CreateFile(std::string_view path, std::uint32_t, std::uint32_t, std::uint32_t,
                          std::uint32_t) override {
    lastError_ = kErrorFileNotFound;
    const std::string socketPath = DriverSocketPath();
    sockaddr_un addr{};
    if (!IsDriverDevice(path) || socketPath.empty() || socketPath.size() >= sizeof addr.sun_path) {
      return kInvalidDriverHandle;
    }
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return kInvalidDriverHandle;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size());
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      return kInvalidDriverHandle;
    }
    lastError_ = 0;
    const int handle = fd.get();
    open_[handle] = std::move(fd);
    return handle;
  }
  std::uint32_t LastError() override { return lastError_; }
  bool DeviceIoControl(DriverHandle handle, std::uint32_t code) override {
    auto it = open_.find(handle);
    if (it == open_.end() || code > 255) return false;
    const unsigned char byte = static_cast<unsigned char>(code);
    if (::send(it->second.get(), &byte, 1, MSG_NOSIGNAL) != 1) return false;
    pollfd p{it->second.get(), POLLIN, 0};
    int ready;
    while ((ready = ::poll(&p, 1, kAnswerTimeoutMs)) < 0 && errno == EINTR) {
    }
    unsigned char answer = kDriverAnswerRefused;
    return ready == 1 && ::recv(it->second.get(), &answer, 1, 0) == 1 && answer == kDriverAnswerOk;
  }
  bool CloseHandle(DriverHandle handle) override { return open_.erase(handle) == 1; }

 private:
  std::map<DriverHandle, UniqueFd> open_;
  std::uint32_t lastError_ = 0;
};

}  // namespace

std::string DriverRuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string base = runtime && *runtime == '/' ? runtime : "/run/user/" + std::to_string(::getuid());
  if (::access(base.c_str(), W_OK | X_OK) != 0) return {};
  return base + "/tandrix";
}

std::string DriverSocketPath() {
  const std::string folder = DriverRuntimeFolder();
  return folder.empty() ? folder : folder + "/vexord.sock";
}

std::string DriverStatePath() {
  const std::string folder = DriverRuntimeFolder();
  return folder.empty() ? folder : folder + "/vexord.state";
}

std::unique_ptr<DriverPort> NewSocketDriverPort() { return std::make_unique<SocketDriverPort>(); }

}  // namespace platform
