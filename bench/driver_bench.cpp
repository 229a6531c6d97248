// The driver: one frame through the transform (target < 5 us); the real
// vexord from a record written to its input seam until the frame is read
// from its output seam (target p99 < 1 ms); and its CPU while the device
// is idle (target: none).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "driver/devices.h"
#include "driver/transform.h"
#include "platform/registry.h"
#include "tuning/mva_joystick.h"

extern char** environ;

namespace {

const std::string kJoy3D = std::string(TANDRIX_PRODUCT_DIR) + "/defaults/Joy3D.vcg";

vexord::Tuning Joy3D() {
  MVA_DriverCfg cfg;
  MVA_ReadDriverCfg(cfg, 0, kJoy3D);
  vexord::Tuning t;
  for (int a = 0; a < 8; ++a) t.tables[static_cast<std::size_t>(a)] = MVA_MakeAxisTable(cfg, a);
  t.sens = MVA_MakeSensitivity(cfg);
  t.filter = cfg.hpfm;
  t.axisMap = cfg.axisMap;
  return t;
}

std::vector<input_event> Frame(int i) {
  std::vector<input_event> records;
  for (unsigned code = 0; code < 6; ++code) {
    records.push_back({{}, EV_ABS, static_cast<__u16>(code), ((i * 37 + static_cast<int>(code) * 101) % 1024) - 512});
  }
  records.push_back({{}, EV_KEY, BTN_0, i & 1});
  records.push_back({{}, EV_SYN, SYN_REPORT, 0});
  return records;
}

// Events in, joystick values out: what the driver does between its two ends.
void BM_TransformOneFrame(benchmark::State& state) {
  const vexord::Transform transform(Joy3D());
  vexord::Layout layout;
  layout.min.fill(-512);
  layout.max.fill(512);
  for (unsigned b = 0; b < 6; ++b) layout.buttons.push_back(BTN_0 + b);
  vexord::FrameBuilder frames(layout);
  std::vector<std::vector<input_event>> inputs;
  for (int i = 0; i < 64; ++i) inputs.push_back(Frame(i));
  std::size_t n = 0;
  for (auto _ : state) {
    for (const input_event& ev : inputs[n++ % inputs.size()]) {
      if (frames.Take(ev)) benchmark::DoNotOptimize(transform.Apply(frames.axes()));
    }
  }
}
BENCHMARK(BM_TransformOneFrame);

// A vexord of its own on two pipes, with Joy3D live in a store of its own.
class Driver {
 public:
  Driver() {
    dir_ = std::filesystem::temp_directory_path() / ("vexord-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    ::setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    const std::string store = (dir_ / "registry.db").string();
    ::setenv("TANDRIX_REGISTRY", store.c_str(), 1);
    {
      platform::ScopedSystemRegistry reg(platform::OpenSqliteRegistry(store, nullptr));
      platform::Registry& r = platform::SystemRegistry();
      platform::ScopedKey key(r);
      r.CreateKey(platform::kHKeyLocalMachine,
                  std::string(kMvaJoystickRoot) + "\\JoystickDriver<0000>\\" + std::string(kMvaCurrentSettingsSubkey),
                  key.handle());
      r.SetString(key.get(), "Joystick1OEMCallout", kMvaDriverName);
      MVA_ActivateCfgFile(kJoy3D);
    }
    const std::string in = (dir_ / "in").string(), out = (dir_ / "out").string();
    ::mkfifo(in.c_str(), 0600);
    ::mkfifo(out.c_str(), 0600);
    out_ = ::open(out.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    std::vector<std::string> args{VEXORD_EXE, "--input-seam", in, "--output-seam", out};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn(&pid_, VEXORD_EXE, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    for (int i = 0; i < 500 && in_ < 0; ++i) {
      in_ = ::open(in.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (in_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~Driver() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    ::close(in_);
    ::close(out_);
    std::filesystem::remove_all(dir_);
  }
  bool RoundTrip(int i) {
    const auto records = Frame(i);
    const auto size = static_cast<ssize_t>(records.size() * sizeof(input_event));
    if (::write(in_, records.data(), static_cast<std::size_t>(size)) != size) return false;
    for (;;) {
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, 2000) != 1) return false;
      input_event ev;
      if (::read(out_, &ev, sizeof ev) != sizeof ev) continue;
      if (ev.type == EV_SYN) return true;
    }
  }
  // User and system CPU of the driver so far, in clock ticks.
  long CpuTicks() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string field;
    long ticks = 0;
    for (int i = 1; stat >> field && i <= 15; ++i) {
      if (i == 14 || i == 15) ticks += std::atol(field.c_str());
    }
    return ticks;
  }

 private:
  std::filesystem::path dir_;
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
};

void BM_SeamToSeam(benchmark::State& state) {
  Driver driver;
  std::vector<double> us;
  int i = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!driver.RoundTrip(i++)) {
      state.SkipWithError("the driver did not answer");
      return;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(took.count());
    us.push_back(took.count() * 1e6);
  }
  std::sort(us.begin(), us.end());
  state.counters["p50_us"] = us[us.size() / 2];
  state.counters["p99_us"] = us[us.size() * 99 / 100];
}
BENCHMARK(BM_SeamToSeam)->UseManualTime()->Iterations(2000);

// Two seconds with nothing to read: the driver sleeps in poll().
void BM_IdleCpu(benchmark::State& state) {
  Driver driver;
  driver.RoundTrip(0);
  for (auto _ : state) {
    const long before = driver.CpuTicks();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    state.counters["cpu_ticks_idle"] = static_cast<double>(driver.CpuTicks() - before);
  }
}
BENCHMARK(BM_IdleCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
