// vexord: the Tandrix driver. Reads the six-axis device, applies the live
// tuning from the registry store and posts the result on one virtual
// joystick. The tuning library tells it of every change through the
// driver socket (control code 2: read the tuning again).
//
// It waits in one poll() on everything at once (device, control socket,
// signals, and inotify while a device or /dev/uinput is missing), so an
// idle device costs no CPU.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/devices.h"
#include "driver/store_tuning.h"
#include "driver/transform.h"
#include "platform/driver_socket.h"
#include "platform/registry.h"
#include "platform/unique_fd.h"

namespace {

namespace fs = std::filesystem;
using platform::UniqueFd;
using namespace vexord;

constexpr const char kUsage[] =
    "usage: vexord [--device NODE|NAME] [--input-seam FILE] [--output-seam FILE]\n"
    "              [--uinput PATH] [--registry STORE] [--rel-full-scale N]\n"
    "\n"
    "The Tandrix driver: reads the six-axis device (found by its axes and\n"
    "buttons, or the one named: a node such as /dev/input/event5 or a part of\n"
    "its name), takes it for itself, applies the live tuning of the registry\n"
    "store and posts the result on a virtual joystick through uinput.\n"
    "\n"
    "  --input-seam FILE   read input_event records from FILE (a file or pipe)\n"
    "                      instead of a device; its end counts as an unplug\n"
    "  --output-seam FILE  write the virtual joystick's records to FILE instead\n"
    "  --uinput PATH       the uinput device (default /dev/uinput)\n"
    "  --registry STORE    the registry store (default as every Tandrix program)\n"
    "  --rel-full-scale N  a relative device's value for a full push (default 350)\n";

struct Options {
  std::string device, inputSeam, outputSeam, uinput = "/dev/uinput", registry;
  double relFullScale = 350.0;
};

void Say(const std::string& text) { std::fprintf(stderr, "vexord: %s\n", text.c_str()); }

// A message that is said once, however often its cause comes back, until
// the cause is gone.
class Once {
 public:
  void Report(const std::string& text) {
    if (text != last_) Say(text);
    last_ = text;
  }
  void Clear() { last_.clear(); }
  const std::string& last() const { return last_; }

 private:
  std::string last_;
};

class Driver {
 public:
  explicit Driver(Options options) : opt_(std::move(options)), transform_(tuning_) {}

  int Run() {
    if (!Listen()) return 1;
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    sigaddset(&mask, SIGHUP);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    signal(SIGPIPE, SIG_IGN);
    signals_.reset(::signalfd(-1, &mask, SFD_CLOEXEC));
    inotify_.reset(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));

    // Both folders are watched from the start, so a device that comes back
    // while the driver is busy is not missed.
    WatchBoth();
    Reload();
    OpenOutput();
    OpenInput();
    while (!done_) Wait();
    ::unlink(socketPath_.c_str());
    ::unlink(statePath_.c_str());
    return 0;
  }

 private:
  // --- the control socket ----------------------------------------------------
  bool Listen() {
    const std::string folder = platform::DriverRuntimeFolder();
    if (folder.empty()) {
      Say("the user has no runtime folder (XDG_RUNTIME_DIR), so no program can reach the driver");
      return false;
    }
    ::mkdir(folder.c_str(), 0700);
    struct stat st;
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 077) != 0) {
      Say(folder + " is not a folder of this user's alone; not listening there");
      return false;
    }
    socketPath_ = platform::DriverSocketPath();
    statePath_ = platform::DriverStatePath();
    sockaddr_un addr{};
    if (socketPath_.size() >= sizeof addr.sun_path) {
      Say(socketPath_ + ": the path is too long for a socket");
      return false;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, socketPath_.c_str(), socketPath_.size());
    listen_.reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    // A socket that answers belongs to a driver that runs; one that does
    // not was left by a driver that ended without clearing up.
    UniqueFd probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (::connect(probe.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
      Say("a driver already runs (" + socketPath_ + ")");
      return false;
    }
    ::unlink(socketPath_.c_str());
    const mode_t old = ::umask(0177);
    const bool bound = ::bind(listen_.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::umask(old);
    if (!bound || ::listen(listen_.get(), 8) != 0) {
      Say(socketPath_ + ": " + std::strerror(errno));
      return false;
    }
    return true;
  }

  void Accept() {
    UniqueFd client(::accept4(listen_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (client) clients_.push_back(std::move(client));
  }

  // Each byte is a control code; each gets its one-byte answer.
  bool Serve(UniqueFd& client) {
    unsigned char codes[16];
    const ssize_t n = ::recv(client.get(), codes, sizeof codes, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return false;
    for (ssize_t i = 0; i < n; ++i) {
      unsigned char answer = platform::kDriverAnswerOk;
      if (codes[i] == 2) {
        Reload();
      } else if (codes[i] != 1) {
        answer = platform::kDriverAnswerRefused;
      }
      if (::send(client.get(), &answer, 1, MSG_NOSIGNAL) != 1) return false;
    }
    return true;
  }

  // --- tuning ----------------------------------------------------------------
  void Reload() {
    std::string why;
    if (std::optional<Tuning> t = ReadStoreTuning(why)) {
      tuning_ = std::move(*t);
      transform_ = Transform(tuning_);
      tuningProblem_.Clear();
      Say("applying " + tuning_.configuration);
    } else {
      tuningProblem_.Report("keeping the last good tuning (" + tuning_.configuration + "): " + why);
    }
    WriteState();
  }

  // --- the two ends ----------------------------------------------------------
  void OpenOutput() {
    std::string why;
    output_ = opt_.outputSeam.empty() ? OpenUinputOutput(opt_.uinput, why)
                                      : OpenSeamOutput(opt_.outputSeam, why);
    if (output_) {
      outputProblem_.Clear();
      Say("posting to " + output_->Name());
    } else {
      outputProblem_.Report(why);
    }
    WriteState();
  }

  void OpenInput() {
    std::string why;
    if (!opt_.inputSeam.empty()) {
      input_ = OpenSeamInput(opt_.inputSeam, why);
    } else {
      const std::vector<Candidate> found = FindDevices(opt_.device);
      if (found.empty()) {
        why = opt_.device.empty() ? "no six-axis device found (six axes X..RZ and buttons); "
                                    "plug one in, or name it with --device"
                                  : "no input device matches \"" + opt_.device + "\"";
      }
      for (const Candidate& c : found) {
        if ((input_ = OpenEvdevInput(c.path, why))) {
          std::string others;
          for (const Candidate& o : found) {
            if (o.path != c.path) others += (others.empty() ? "" : ", ") + o.path + " (" + o.name + ")";
          }
          if (!others.empty()) Say("several devices fit; also found: " + others);
          break;
        }
      }
    }
    if (input_) {
      struct stat st;
      inputNode_ = ::fstat(input_->Fd(), &st) == 0 ? st.st_ino : 0;
      frames_.emplace(WithScale(input_->layout()));
      inputProblem_.Clear();
      Say("reading " + input_->Name());
    } else {
      inputProblem_.Report(why);
    }
    WriteState();
  }

  Layout WithScale(Layout layout) const {
    layout.relFullScale = opt_.relFullScale;
    return layout;
  }

  // The seam's file as it is now at its path, to tell a new one (the device
  // plugged in again) from the one already read.
  ino_t SeamNode() const {
    struct stat st;
    return !opt_.inputSeam.empty() && ::stat(opt_.inputSeam.c_str(), &st) == 0 ? st.st_ino : 0;
  }

  void Unplugged(int error) {
    const std::string name = input_->Name();
    input_.reset();
    frames_.reset();
    // Not opened again at once: a file read through would be read again and
    // again. A new node (or a new seam file) at the path wakes the wait.
    inputProblem_.Report(name + (error == -ENODEV ? " is gone" : std::string(": ") + std::strerror(-error)) +
                         "; waiting for it to come back");
    WriteState();
    if (SeamNode() != 0 && SeamNode() != inputNode_) OpenInput();  // already back
  }

  void ReadInput() {
    input_event ev;
    for (;;) {
      const int rc = input_->Next(ev);
      if (rc == 0) return;
      if (rc < 0) return Unplugged(rc);
      if (frames_->Take(ev) && output_) {
        if (!output_->Post(transform_.Apply(frames_->axes()), frames_->buttons())) {
          outputProblem_.Report(output_->Name() + " takes no more events");
        }
      }
    }
  }

  // Waits on the folder where a missing file will appear (or the nearest
  // folder above it that exists).
  void Watch(const std::string& path) {
    if (!inotify_) return;
    fs::path dir = fs::path(path).parent_path();
    std::error_code ec;
    while (!dir.empty() && !fs::is_directory(dir, ec) && dir != dir.parent_path()) dir = dir.parent_path();
    ::inotify_add_watch(inotify_.get(), dir.c_str(),
                        IN_CREATE | IN_ATTRIB | IN_MOVED_TO | IN_CLOSE_WRITE);
  }

  void WatchBoth() {
    Watch(opt_.inputSeam.empty() ? std::string("/dev/input/event0") : opt_.inputSeam);
    Watch(opt_.outputSeam.empty() ? opt_.uinput : opt_.outputSeam);
  }

  void Changed() {
    alignas(inotify_event) char buffer[4096];
    while (::read(inotify_.get(), buffer, sizeof buffer) > 0) {
    }
    WatchBoth();  // a folder that was missing may be there now
    if (!output_) OpenOutput();
    if (input_ && SeamNode() != 0 && SeamNode() != inputNode_) {
      input_.reset();  // a new seam file took the old one's place
      frames_.reset();
    }
    if (!input_) OpenInput();
  }

  // --- the one wait ------------------------------------------------------------
  void Wait() {
    std::vector<pollfd> fds;
    fds.push_back({signals_.get(), POLLIN, 0});
    fds.push_back({listen_.get(), POLLIN, 0});
    fds.push_back({inotify_.get(), POLLIN, 0});
    fds.push_back({input_ ? input_->Fd() : -1, POLLIN, 0});
    for (const UniqueFd& c : clients_) fds.push_back({c.get(), POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0) return;

    if (fds[0].revents) {
      signalfd_siginfo info;
      if (::read(signals_.get(), &info, sizeof info) > 0) done_ = true;
      return;
    }
    if (fds[3].revents && input_) ReadInput();
    for (std::size_t i = 4, c = 0; i < fds.size(); ++i) {
      if (fds[i].revents && !Serve(clients_[c])) {
        clients_.erase(clients_.begin() + static_cast<std::ptrdiff_t>(c));
      } else {
        ++c;
      }
    }
    if (fds[1].revents) Accept();
    if (fds[2].revents) Changed();
  }

  // What `tandrix status` shows: written whole beside the socket.
  void WriteState() {
    if (statePath_.empty()) return;
    const std::string tmp = statePath_ + ".new";
    {
      std::ofstream out(tmp, std::ios::trunc);
      out << "pid=" << ::getpid() << "\n";
      out << "input=" << (input_ ? input_->Name() : "") << "\n";
      out << "input-missing=" << (input_ ? "" : inputProblem_.last()) << "\n";
      out << "output=" << (output_ ? output_->Name() : "") << "\n";
      out << "output-missing=" << (output_ ? "" : outputProblem_.last()) << "\n";
      out << "configuration=" << tuning_.configuration << "\n";
      out << "tuning-problem=" << tuningProblem_.last() << "\n";
    }
    ::rename(tmp.c_str(), statePath_.c_str());
  }

  Options opt_;
  Tuning tuning_ = NeutralTuning();
  Transform transform_;
  std::unique_ptr<InputDevice> input_;
  std::optional<FrameBuilder> frames_;
  std::unique_ptr<OutputDevice> output_;
  UniqueFd listen_, signals_, inotify_;
  std::vector<UniqueFd> clients_;
  std::string socketPath_, statePath_;
  Once inputProblem_, outputProblem_, tuningProblem_;
  ino_t inputNode_ = 0;
  bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    std::string scale;
    bool ok = arg == "--device"         ? value(opt.device)
              : arg == "--input-seam"   ? value(opt.inputSeam)
              : arg == "--output-seam"  ? value(opt.outputSeam)
              : arg == "--uinput"       ? value(opt.uinput)
              : arg == "--registry"     ? value(opt.registry)
              : arg == "--rel-full-scale" ? value(scale)
                                          : false;
    if (ok && !scale.empty()) {
      char* end = nullptr;
      opt.relFullScale = std::strtod(scale.c_str(), &end);
      ok = *end == '\0' && opt.relFullScale > 0;
    }
    if (!ok) {
      std::fprintf(stderr, "vexord: bad argument %s\n%s", arg.c_str(), kUsage);
      return 2;
    }
  }
  if (!opt.registry.empty()) ::setenv("TANDRIX_REGISTRY", opt.registry.c_str(), 1);
  // A reload waits this long at most for another program's write to end,
  // then reads what is committed: frames must not stall behind the store.
  platform::SetSystemRegistryBusyTimeout(200);
  return Driver(std::move(opt)).Run();
}
