// The modes rewrite for all games over a product folder of 200
// configurations (100 in defaults, 100 in games, each the stock Joy3D one),
// with the menu file and the registry's private values, beside one
// MVA_ReadCfgFile plus one MVA_WriteCfgFile of the same file: "per_file_us"
// against "read_write_us".
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "customizer/modes.h"
#include "platform/dospath.h"
#include "platform/registry.h"
#include "tuning/mva_config.h"
#include "tuning/mva_joystick.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 200;

// A product folder of its own, removed at the end.
class Folder {
 public:
  Folder() {
    path_ = fs::temp_directory_path() / ("tandrix-modes-bench-" + std::to_string(::getpid()));
    fs::create_directories(path_ / "defaults");
    fs::create_directories(path_ / "games");
    fs::create_directories(path_ / "support");
    std::ifstream in(std::string(TANDRIX_PRODUCT_DIR) + "/defaults/Joy3D.vcg", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    for (int i = 0; i < kFiles; ++i) {
      std::ofstream((path_ / (i % 2 ? "games" : "defaults") / ("game" + std::to_string(i) + ".vcg")),
                    std::ios::binary)
          << s.str();
    }
    fs::copy_file(std::string(TANDRIX_PRODUCT_DIR) + "/support/motiva.cfg",
                  path_ / "support" / "motiva.cfg");
    old_ = fs::current_path();
    fs::current_path(path_);
  }
  ~Folder() {
    fs::current_path(old_);
    fs::remove_all(path_);
  }

 private:
  fs::path path_;
  fs::path old_;
};

struct Store {
  Store() {
    platform::SetSystemRegistry(platform::NewMemoryRegistry());
    platform::ScopedKey key(platform::SystemRegistry());
    platform::SystemRegistry().CreateKey(platform::kHKeyLocalMachine, kMvaPrivateRoot, key.handle());
  }
  ~Store() { platform::SetSystemRegistry(nullptr); }
};

double ReadWriteSeconds(const char* path) {
  const int n = 200;
  auto start = Clock::now();
  for (int i = 0; i < n; ++i) {
    MVA_CfgRecord record;
    MVA_ReadCfgFile(record, 0, path);
    MVA_WriteCfgFile(record, path);
    MVA_FreeCfgRecord(record);
  }
  return std::chrono::duration<double>(Clock::now() - start).count() / n;
}

void BM_ModesRewrite200(benchmark::State& state) {
  Folder folder;
  Store store;
  const double readWrite = ReadWriteSeconds("games\\game1.vcg");
  int flip = 0;
  auto start = Clock::now();
  for (auto _ : state) {
    // Alternate the choices, so every run really changes every file.
    ModesChoice choice{flip, 1 - flip};
    flip = 1 - flip;
    ModesOutcome out = ApplyModesToAllGames(choice, nullptr);
    if (out.defaults.rewritten + out.games.rewritten != kFiles) state.SkipWithError("files skipped");
  }
  const double per = std::chrono::duration<double>(Clock::now() - start).count() /
                     static_cast<double>(state.iterations());
  state.counters["run_ms"] = per * 1e3;
  state.counters["per_file_us"] = per / kFiles * 1e6;
  state.counters["read_write_us"] = readWrite * 1e6;
  state.counters["x_read_write"] = per / kFiles / readWrite;
}
BENCHMARK(BM_ModesRewrite200)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
