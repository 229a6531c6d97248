// The kernel's ends: evdev and uinput through libevdev, and their seams.
#include "driver/devices.h"

#include <dirent.h>
#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/unique_fd.h"

namespace vexord {
namespace {

using platform::UniqueFd;

constexpr unsigned kSeamButtonBase = BTN_0;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool HasAll(const libevdev* dev, unsigned type) {
  for (unsigned code = 0; code < kDeviceAxes; ++code) {
    if (!libevdev_has_event_code(dev, type, code)) return false;
  }
  return true;
}

std::vector<unsigned> ButtonsOf(const libevdev* dev) {
  std::vector<unsigned> codes;
  for (unsigned code = BTN_MISC; code <= KEY_MAX && codes.size() < kButtons; ++code) {
    if (libevdev_has_event_code(dev, EV_KEY, code)) codes.push_back(code);
  }
  return codes;
}

// A six-axis device: six absolute or six relative axes TX..RZ and a button.
bool IsSixAxis(const libevdev* dev) {
  return (HasAll(dev, EV_ABS) || HasAll(dev, EV_REL)) && !ButtonsOf(dev).empty() &&
         std::strcmp(libevdev_get_name(dev), kVirtualName) != 0;
}

struct EvdevDeleter {
  void operator()(libevdev* dev) const { libevdev_free(dev); }
};
using Evdev = std::unique_ptr<libevdev, EvdevDeleter>;

Evdev Open(const std::string& path, UniqueFd& fd, std::string& why) {
  fd.reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    why = path + ": " + std::strerror(errno);
    return nullptr;
  }
  libevdev* dev = nullptr;
  if (int rc = libevdev_new_from_fd(fd.get(), &dev); rc < 0) {
    why = path + ": " + std::strerror(-rc);
    return nullptr;
  }
  return Evdev(dev);
}

class EvdevInput final : public InputDevice {
 public:
  EvdevInput(UniqueFd fd, Evdev dev) : fd_(std::move(fd)), dev_(std::move(dev)) {
    name_ = libevdev_get_name(dev_.get());
    layout_.relative = !HasAll(dev_.get(), EV_ABS);
    for (unsigned a = 0; a < kDeviceAxes; ++a) {
      if (layout_.relative) continue;
      layout_.min[a] = libevdev_get_abs_minimum(dev_.get(), a);
      layout_.max[a] = libevdev_get_abs_maximum(dev_.get(), a);
    }
    layout_.buttons = ButtonsOf(dev_.get());
  }
  int Fd() const override { return fd_.get(); }
  const std::string& Name() const override { return name_; }
  const Layout& layout() const override { return layout_; }
  int Next(input_event& ev) override {
    // After the kernel dropped events libevdev hands out the device's
    // state again, then normal events resume.
    for (;;) {
      const int rc = libevdev_next_event(
          dev_.get(), syncing_ ? LIBEVDEV_READ_FLAG_SYNC : LIBEVDEV_READ_FLAG_NORMAL, &ev);
      if (rc == LIBEVDEV_READ_STATUS_SUCCESS) return 1;
      if (rc == LIBEVDEV_READ_STATUS_SYNC) {
        syncing_ = true;
        return 1;
      }
      if (rc == -EAGAIN && syncing_) {
        syncing_ = false;
        continue;
      }
      return rc == -EAGAIN ? 0 : rc;
    }
  }

 private:
  UniqueFd fd_;
  Evdev dev_;
  std::string name_;
  Layout layout_;
  bool syncing_ = false;
};

class SeamInput final : public InputDevice {
 public:
  SeamInput(UniqueFd fd, std::string name) : fd_(std::move(fd)), name_(std::move(name)) {
    layout_.min.fill(-static_cast<int>(kDomain));
    layout_.max.fill(static_cast<int>(kDomain));
    for (unsigned b = 0; b < kButtons; ++b) layout_.buttons.push_back(kSeamButtonBase + b);
  }
  int Fd() const override { return fd_.get(); }
  const std::string& Name() const override { return name_; }
  const Layout& layout() const override { return layout_; }
  int Next(input_event& ev) override {
    if (at_ + sizeof ev > filled_) {
      std::memmove(buffer_, buffer_ + at_, filled_ - at_);
      filled_ -= at_;
      at_ = 0;
      const ssize_t n = ::read(fd_.get(), buffer_ + filled_, sizeof buffer_ - filled_);
      if (n == 0) return -ENODEV;  // the writer went away: unplugged
      if (n < 0) return errno == EAGAIN || errno == EINTR ? 0 : -errno;
      filled_ += static_cast<std::size_t>(n);
      if (filled_ < sizeof ev) return 0;
    }
    std::memcpy(&ev, buffer_ + at_, sizeof ev);
    at_ += sizeof ev;
    return 1;
  }

 private:
  UniqueFd fd_;
  std::string name_;
  Layout layout_;
  unsigned char buffer_[64 * sizeof(input_event)];
  std::size_t at_ = 0, filled_ = 0;
};

class UinputOutput final : public OutputDevice {
 public:
  UinputOutput(UniqueFd fd, Evdev dev, libevdev_uinput* ui)
      : fd_(std::move(fd)), dev_(std::move(dev)), ui_(ui) {
    const char* node = libevdev_uinput_get_devnode(ui_);
    name_ = std::string(kVirtualName) + (node ? std::string(" (") + node + ")" : "");
  }
  ~UinputOutput() override { libevdev_uinput_destroy(ui_); }
  const std::string& Name() const override { return name_; }
  bool Post(const std::array<std::int32_t, kDeviceAxes>& axes, unsigned buttons) override {
    bool ok = true;
    for (std::size_t k = 0; k < kDeviceAxes; ++k) {
      ok &= libevdev_uinput_write_event(ui_, EV_ABS, kJoystickAxes[k], axes[k]) == 0;
    }
    for (std::size_t b = 0; b < kButtons; ++b) {
      ok &= libevdev_uinput_write_event(ui_, EV_KEY, kJoystickButtons[b], (buttons >> b) & 1) == 0;
    }
    return ok && libevdev_uinput_write_event(ui_, EV_SYN, SYN_REPORT, 0) == 0;
  }

 private:
  UniqueFd fd_;
  Evdev dev_;
  libevdev_uinput* ui_;
  std::string name_;
};

class SeamOutput final : public OutputDevice {
 public:
  SeamOutput(UniqueFd fd, std::string name) : fd_(std::move(fd)), name_(std::move(name)) {}
  const std::string& Name() const override { return name_; }
  bool Post(const std::array<std::int32_t, kDeviceAxes>& axes, unsigned buttons) override {
    std::array<input_event, kDeviceAxes + kButtons + 1> records{};
    std::size_t n = 0;
    auto add = [&](unsigned type, unsigned code, std::int32_t value) {
      records[n].type = static_cast<__u16>(type);
      records[n].code = static_cast<__u16>(code);
      records[n].value = value;
      ++n;
    };
    for (std::size_t k = 0; k < kDeviceAxes; ++k) add(EV_ABS, kJoystickAxes[k], axes[k]);
    for (std::size_t b = 0; b < kButtons; ++b) add(EV_KEY, kJoystickButtons[b], (buttons >> b) & 1);
    add(EV_SYN, SYN_REPORT, 0);
    const std::size_t size = n * sizeof(input_event);
    return ::write(fd_.get(), records.data(), size) == static_cast<ssize_t>(size);
  }

 private:
  UniqueFd fd_;
  std::string name_;
};

}  // namespace

bool FrameBuilder::Take(const input_event& ev) {
  if (ev.type == EV_SYN) return ev.code == SYN_REPORT;
  if (ev.code < kDeviceAxes && ev.type == (layout_.relative ? EV_REL : EV_ABS)) {
    double x;
    if (layout_.relative) {
      x = ev.value / layout_.relFullScale * kDomain;
    } else {
      const double lo = layout_.min[ev.code], hi = layout_.max[ev.code];
      x = hi > lo ? (2.0 * ev.value - lo - hi) / (hi - lo) * kDomain : 0.0;
    }
    axes_[ev.code] = std::clamp(x, -kDomain, kDomain);
  } else if (ev.type == EV_KEY) {
    const auto at = std::find(layout_.buttons.begin(), layout_.buttons.end(), ev.code);
    if (at != layout_.buttons.end()) {
      const unsigned bit = 1u << (at - layout_.buttons.begin());
      buttons_ = ev.value ? buttons_ | bit : buttons_ & ~bit;
    }
  }
  return false;
}

std::unique_ptr<InputDevice> OpenEvdevInput(const std::string& path, std::string& why) {
  UniqueFd fd;
  Evdev dev = Open(path, fd, why);
  if (!dev) return nullptr;
  if (!HasAll(dev.get(), EV_ABS) && !HasAll(dev.get(), EV_REL)) {
    why = path + " (" + libevdev_get_name(dev.get()) + ") has not the six axes X, Y, Z, RX, RY, RZ";
    return nullptr;
  }
  if (int rc = libevdev_grab(dev.get(), LIBEVDEV_GRAB); rc < 0) {
    why = path + ": cannot take it for the driver alone: " + std::strerror(-rc);
    return nullptr;
  }
  return std::make_unique<EvdevInput>(std::move(fd), std::move(dev));
}

std::unique_ptr<InputDevice> OpenSeamInput(const std::string& path, std::string& why) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    why = path + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<SeamInput>(std::move(fd), "input seam " + path);
}

std::vector<Candidate> FindDevices(const std::string& wanted) {
  std::vector<std::pair<int, std::string>> nodes;
  if (DIR* dir = ::opendir("/dev/input")) {
    while (const dirent* entry = ::readdir(dir)) {
      int n = 0;
      if (std::sscanf(entry->d_name, "event%d", &n) == 1) {
        nodes.emplace_back(n, std::string("/dev/input/") + entry->d_name);
      }
    }
    ::closedir(dir);
  }
  std::sort(nodes.begin(), nodes.end());
  std::vector<Candidate> found;
  const std::string part = Lower(wanted);
  for (const auto& [n, path] : nodes) {
    UniqueFd fd;
    std::string why;
    Evdev dev = Open(path, fd, why);
    if (!dev) continue;
    const std::string name = libevdev_get_name(dev.get());
    const bool chosen = wanted.empty()      ? IsSixAxis(dev.get())
                        : wanted[0] == '/' ? path == wanted
                                           : Lower(name).find(part) != std::string::npos;
    if (chosen && name != kVirtualName) found.push_back({path, name});
  }
  return found;
}

std::string UinputProblem(const std::string& uinputPath, int error) {
  if (error == ENOENT || error == ENODEV || error == ENXIO) {
    return "there is no " + uinputPath +
           ", so no virtual joystick can be made: load the uinput module "
           "(sudo modprobe uinput; to have it at every start: "
           "echo uinput | sudo tee /etc/modules-load.d/uinput.conf)";
  }
  if (error == EACCES || error == EPERM) {
    return "no permission to use " + uinputPath +
           ": install the tandrix package (its udev rule gives the seated user access) "
           "and log in again, or run: sudo udevadm trigger";
  }
  return uinputPath + ": " + std::strerror(error);
}

std::unique_ptr<OutputDevice> OpenUinputOutput(const std::string& uinputPath, std::string& why) {
  UniqueFd fd(::open(uinputPath.c_str(), O_RDWR | O_CLOEXEC));
  if (!fd) {
    why = UinputProblem(uinputPath, errno);
    return nullptr;
  }
  Evdev dev(libevdev_new());
  libevdev_set_name(dev.get(), kVirtualName);
  libevdev_set_id_bustype(dev.get(), BUS_VIRTUAL);
  libevdev_enable_event_type(dev.get(), EV_ABS);
  for (unsigned code : kJoystickAxes) {
    input_absinfo info{};
    info.value = kJoyCentre;
    info.minimum = kJoyMin;
    info.maximum = kJoyMax;
    libevdev_enable_event_code(dev.get(), EV_ABS, code, &info);
  }
  libevdev_enable_event_type(dev.get(), EV_KEY);
  for (unsigned code : kJoystickButtons) libevdev_enable_event_code(dev.get(), EV_KEY, code, nullptr);
  libevdev_uinput* ui = nullptr;
  if (int rc = libevdev_uinput_create_from_device(dev.get(), fd.get(), &ui); rc < 0) {
    why = "the virtual joystick cannot be made through " + uinputPath + ": " + std::strerror(-rc);
    return nullptr;
  }
  return std::make_unique<UinputOutput>(std::move(fd), std::move(dev), ui);
}

std::unique_ptr<OutputDevice> OpenSeamOutput(const std::string& path, std::string& why) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600));
  if (!fd) {
    why = path + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<SeamOutput>(std::move(fd), "output seam " + path);
}

}  // namespace vexord
