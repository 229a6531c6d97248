// The game service setup on a game's program of 1 and 20 MB: OK's work
// (realgame.exe, the launcher over the program, specmva.bat) and the
// restore, beside a plain copy of the same file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/dospath.h"
#include "platform/fileops.h"
#include "service_setup/game_setup.h"
#include "service_setup/service_games.h"

namespace {

namespace fs = std::filesystem;

// A product folder with a launcher stub and a game folder with a program of
// the given size, removed at the end.
class Folders {
 public:
  explicit Folders(std::size_t gameBytes) {
    std::string tmpl = (fs::temp_directory_path() / "tandrix-bench-XXXXXX").string();
    root_ = ::mkdtemp(tmpl.data());
    fs::create_directories(root_ / "product/support");
    fs::create_directories(root_ / "duke");
    std::ofstream(root_ / "product/support/specmva.exe", std::ios::binary) << std::string(4096, 'S');
    std::ofstream(root_ / "duke/duke3d.exe", std::ios::binary) << std::string(gameBytes, 'D');
    product = platform::ToDosPath((root_ / "product").string());
    game = platform::ToDosPath((root_ / "duke/duke3d.exe").string());
    copy = platform::ToDosPath((root_ / "duke/copy.exe").string());
  }
  ~Folders() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  std::string product, game, copy;

 private:
  fs::path root_;
};

void BM_SetUp(benchmark::State& state) {
  Folders f(static_cast<std::size_t>(state.range(0)) << 20);
  platform::CopyFile(f.game, f.copy, false);
  const std::string realGame = f.game.substr(0, f.game.rfind('\\')) + "\\realgame.exe";
  for (auto _ : state) {
    // Each round starts from the game as it was, as a first setup does.
    state.PauseTiming();
    platform::CopyFile(f.copy, f.game, false);
    platform::DeleteFile(realGame);
    state.ResumeTiming();
    if (SetUpGame({f.product, f.game, kGameDuke}).status != SetupStatus::kDone) {
      state.SkipWithError("setup failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * (1 << 20));
}
BENCHMARK(BM_SetUp)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_Restore(benchmark::State& state) {
  Folders f(static_cast<std::size_t>(state.range(0)) << 20);
  if (SetUpGame({f.product, f.game, kGameDuke}).status != SetupStatus::kDone ||
      !RecordServiceGame(f.product, kGameDuke, f.game)) {
    state.SkipWithError("setup failed");
    return;
  }
  for (auto _ : state) {
    if (RestoreGame(f.product) != RestoreStatus::kRestored) state.SkipWithError("restore failed");
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * (1 << 20));
}
BENCHMARK(BM_Restore)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

// The floor: one copy of the program through a temporary file and a rename.
void BM_PlainCopy(benchmark::State& state) {
  Folders f(static_cast<std::size_t>(state.range(0)) << 20);
  for (auto _ : state) {
    if (!platform::CopyFile(f.game, f.copy, false)) state.SkipWithError("copy failed");
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * (1 << 20));
}
BENCHMARK(BM_PlainCopy)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
