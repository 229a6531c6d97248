// Making Joy3D.vcg live with MVA_ActivateCfgFile, against the SQLite store on
// disk and against the in-memory store, beside reading the file's driver
// view alone. Aim: no slower than 1 ms per activation on disk; the
// thirteen tuning values go to the store in one transaction.
//
// The disk store goes to a fresh folder under TANDRIX_BENCH_DIR, else the
// system's temporary folder (which must be on a real disk for the figure to
// mean anything).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/joystick.h"
#include "platform/registry.h"
#include "tuning/mva_driver_view.h"
#include "tuning/mva_joystick.h"

namespace {

const std::string kJoy3D = std::string(TANDRIX_PRODUCT_DIR) + "/defaults/Joy3D.vcg";

// Seeds the joystick keys the installer makes: slot 1 bound to the driver
// with its OEM configuration.
void Seed(platform::Registry& reg) {
  std::string driverKey;
  platform::SystemJoystickService().GetDevCaps(platform::kJoyIdAll, platform::kJoyCapsSize, driverKey);
  const std::string driver = std::string(kMvaJoystickRoot) + "\\" + driverKey;
  platform::ScopedKey current(reg);
  reg.CreateKey(platform::kHKeyLocalMachine, driver + "\\CurrentJoystickSettings", current.handle());
  reg.SetString(current.get(), "Joystick1OEMCallout", kMvaDriverName);
  platform::ScopedKey device(reg);
  reg.CreateKey(platform::kHKeyLocalMachine, driver + "\\JoystickSettings\\Vexor", device.handle());
  const auto oem = MVA_OemConfigurationBytes(MVA_OemConfiguration{});
  reg.SetBinary(device.get(), "Joystick1OEMConfiguration", oem.data(), oem.size());
}

void Activate(benchmark::State& state) {
  for (auto _ : state) {
    int r = MVA_ActivateCfgFile(kJoy3D);
    if (r != 0) {
      state.SkipWithError("the activation failed");
      break;
    }
    benchmark::DoNotOptimize(r);
  }
}

void BM_ActivateSqliteOnDisk(benchmark::State& state) {
  const char* base = std::getenv("TANDRIX_BENCH_DIR");
  std::string tmpl = (base ? std::filesystem::path(base) : std::filesystem::temp_directory_path()) /
                     "tandrix-bench-XXXXXX";
  if (::mkdtemp(tmpl.data()) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  std::string error;
  auto store = platform::OpenSqliteRegistry(tmpl + "/registry.db", &error);
  if (!store) {
    state.SkipWithError(error.c_str());
    return;
  }
  platform::SetSystemRegistry(std::move(store));
  Seed(platform::SystemRegistry());
  Activate(state);
  platform::SetSystemRegistry(nullptr);
  std::filesystem::remove_all(tmpl);
}

void BM_ActivateMemory(benchmark::State& state) {
  platform::SetSystemRegistry(platform::NewMemoryRegistry());
  Seed(platform::SystemRegistry());
  Activate(state);
  platform::SetSystemRegistry(nullptr);
}

// The part of an activation that does not touch the store.
void BM_ReadDriverViewOnly(benchmark::State& state) {
  for (auto _ : state) {
    MVA_DriverCfg cfg;
    benchmark::DoNotOptimize(MVA_ReadDriverCfg(cfg, 0, kJoy3D));
    MVA_FreeDriverCfg(cfg);
  }
}

BENCHMARK(BM_ActivateSqliteOnDisk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ActivateMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDriverViewOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
