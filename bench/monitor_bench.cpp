// The cost of one watcher tick over a large scripted process list, and of a
// real process snapshot beside listing /proc by hand.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "monitor/host.h"
#include "monitor/monitor_state.h"
#include "monitor/watcher.h"
#include "platform/dospath.h"
#include "platform/process.h"

namespace {

class QuietHost : public MonitorHost {
 public:
  void KillWatchTimer(unsigned) override {}
  unsigned SetWatchTimer() override { return 1; }
  int ShowInstructions(MonitorState&, int) override { return 2; }
  int ShowJoystickPrompt(MonitorState&) override { return kIdNo; }
  int ShowMessage(int, std::string_view, std::string_view, unsigned) override { return kIdOk; }
  void LaunchHelp(std::string_view, unsigned) override {}
  void FocusHiddenWindow() override {}
  void* HiddenWindow() override { return nullptr; }
};

class FixedLister : public platform::ProcessLister {
 public:
  bool List(std::vector<platform::ProcessEntry>& out) override {
    out = entries;
    return true;
  }
  std::vector<platform::ProcessEntry> entries;
};

// A product directory with a game list of 200 entries, and a list of 1,000
// processes whose newest one is either nobody's game or the last listed one.
struct TickSetup {
  explicit TickSetup(bool gameRunning) {
    root = std::filesystem::temp_directory_path() / ("tandrix-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "apps");
    oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(root);
    std::ofstream ini(root / "games.ini", std::ios::binary);
    for (int n = 1; n <= 200; ++n) {
      ini << "[Game" << n << "]\r\nGameTitle=Game " << n << "\r\nGameExe=game" << n
          << ".exe\r\nGameVcg=game" << n << ".vcg\r\nNewGame=0\r\n";
    }
    ini.close();
    LoadGameList(state.games);
    state.host = &host;
    state.currentConfig = state.defaultConfigPath;
    const std::string apps = platform::ToDosPath((root / "apps").string());
    platform::ProcessEntry system;
    system.exePath = std::string(platform::kSystemProcessName);
    lister.entries.push_back(system);
    for (int i = 0; i < 1000; ++i) {
      platform::ProcessEntry e;
      e.processId = 1000 + i;
      e.exePath = apps + "\\program" + std::to_string(i) + ".exe";
      lister.entries.push_back(e);
    }
    if (gameRunning) {
      lister.entries.back().exePath = apps + "\\GAME200.EXE";
      state.runningGameExe = "GAME200.EXE";
    }
    old = platform::SetProcessLister(&lister);
  }
  ~TickSetup() {
    platform::SetProcessLister(old);
    std::filesystem::current_path(oldCwd);
    std::filesystem::remove_all(root);
  }
  std::filesystem::path root, oldCwd;
  QuietHost host;
  MonitorState state;
  FixedLister lister;
  platform::ProcessLister* old = nullptr;
};

void BM_TickNoGame(benchmark::State& st) {
  TickSetup setup(false);
  for (auto _ : st) benchmark::DoNotOptimize(WatchTick(setup.state));
}
BENCHMARK(BM_TickNoGame)->Unit(benchmark::kMicrosecond);

void BM_TickGameRunning(benchmark::State& st) {
  TickSetup setup(true);
  for (auto _ : st) benchmark::DoNotOptimize(WatchTick(setup.state));
}
BENCHMARK(BM_TickGameRunning)->Unit(benchmark::kMicrosecond);

void BM_RealSnapshot(benchmark::State& st) {
  std::size_t n = 0;
  for (auto _ : st) {
    auto snap = platform::CreateProcessSnapshot();
    n = snap ? snap->Entries().size() : 0;
    benchmark::DoNotOptimize(n);
  }
  st.counters["processes"] = static_cast<double>(n);
}
BENCHMARK(BM_RealSnapshot)->Unit(benchmark::kMicrosecond);

// The least a listing can do: every process's executable link.
void BM_HandListing(benchmark::State& st) {
  std::size_t n = 0;
  for (auto _ : st) {
    std::vector<std::string> paths;
    DIR* d = ::opendir("/proc");
    char buf[4096];
    while (dirent* e = ::readdir(d)) {
      if (e->d_name[0] < '1' || e->d_name[0] > '9') continue;
      std::string link = std::string("/proc/") + e->d_name + "/exe";
      ssize_t len = ::readlink(link.c_str(), buf, sizeof buf);
      if (len > 0) paths.emplace_back(buf, static_cast<std::size_t>(len));
    }
    ::closedir(d);
    n = paths.size();
    benchmark::DoNotOptimize(paths.data());
  }
  st.counters["processes"] = static_cast<double>(n);
}
BENCHMARK(BM_HandListing)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
