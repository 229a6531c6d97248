// The cost of reading Joy3D.vcg into the full record, into the customizer's
// view and into the driver view, and of writing it, each also given as a
// multiple of reading the file's bytes once ("x_raw").
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/file.h"
#include "tuning/mva_config.h"
#include "tuning/mva_driver_view.h"

namespace {

const std::string kJoy3D = std::string(TANDRIX_PRODUCT_DIR) + "/defaults/Joy3D.vcg";

using Clock = std::chrono::steady_clock;

// Seconds to read the file's bytes once, measured over many reads.
double RawReadSeconds() {
  static const double seconds = [] {
    std::string bytes;
    for (int i = 0; i < 200; ++i) platform::ReadWholeFile(kJoy3D, bytes);  // warm the cache
    const int n = 5000;
    auto start = Clock::now();
    for (int i = 0; i < n; ++i) {
      platform::ReadWholeFile(kJoy3D, bytes);
      benchmark::DoNotOptimize(bytes.data());
    }
    return std::chrono::duration<double>(Clock::now() - start).count() / n;
  }();
  return seconds;
}

// Runs body per iteration and reports its time beside the raw read.
template <typename Body>
void Measure(benchmark::State& state, Body body) {
  const double raw = RawReadSeconds();
  auto start = Clock::now();
  for (auto _ : state) body();
  double per = std::chrono::duration<double>(Clock::now() - start).count() /
               static_cast<double>(state.iterations());
  state.counters["us"] = per * 1e6;
  state.counters["raw_us"] = raw * 1e6;
  state.counters["x_raw"] = per / raw;
}

void BM_RawRead(benchmark::State& state) {
  std::string bytes;
  Measure(state, [&] {
    platform::ReadWholeFile(kJoy3D, bytes);
    benchmark::DoNotOptimize(bytes.data());
  });
}

void BM_ReadCfgFile(benchmark::State& state) {
  Measure(state, [&] {
    MVA_CfgRecord record;
    if (MVA_ReadCfgFile(record, 0, kJoy3D) != 0) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(record.sf);
  });
}

void BM_ReadUserSettings(benchmark::State& state) {
  Measure(state, [&] {
    MVA_UserSettings settings;
    if (MVA_ReadUserSettings(settings, kJoy3D) != 0) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(settings.level);
  });
}

void BM_ReadDriverCfg(benchmark::State& state) {
  Measure(state, [&] {
    MVA_DriverCfg cfg;
    if (MVA_ReadDriverCfg(cfg, 0, kJoy3D) != 0) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(cfg.hpfm);
  });
}

void BM_DriverTables(benchmark::State& state) {
  MVA_DriverCfg cfg;
  MVA_ReadDriverCfg(cfg, 0, kJoy3D);
  Measure(state, [&] {
    for (int axis = 0; axis < kMvaCurves; ++axis) {
      MVA_AxisTable t = MVA_MakeAxisTable(cfg, axis);
      benchmark::DoNotOptimize(t.column[0][0]);
    }
    auto sens = MVA_MakeSensitivity(cfg);
    benchmark::DoNotOptimize(sens[0]);
  });
}

void BM_WriteCfgFile(benchmark::State& state) {
  MVA_CfgRecord record;
  MVA_ReadCfgFile(record, 0, kJoy3D);
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "tandrix-vcg-bench";
  std::filesystem::create_directories(dir);
  const std::string out = (dir / "Joy3D.vcg").string();
  Measure(state, [&] {
    if (MVA_WriteCfgFile(record, out) != 0) state.SkipWithError("write failed");
  });
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

void BM_FormatCfgFile(benchmark::State& state) {
  MVA_CfgRecord record;
  MVA_ReadCfgFile(record, 0, kJoy3D);
  Measure(state, [&] {
    std::string text = MVA_FormatCfgFile(record, "Wed Mar 26 15:50:37 1997");
    benchmark::DoNotOptimize(text.data());
  });
}

BENCHMARK(BM_RawRead);
BENCHMARK(BM_ReadCfgFile);
BENCHMARK(BM_ReadUserSettings);
BENCHMARK(BM_ReadDriverCfg);
BENCHMARK(BM_DriverTables);
BENCHMARK(BM_FormatCfgFile);
BENCHMARK(BM_WriteCfgFile);

}  // namespace

BENCHMARK_MAIN();
