// The shared ini files: one private-profile write with the writers' lock
// beside the same write without it, and loading games.ini of 100, 1,000
// and 10,000 games (the load must grow linearly).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "monitor/gamelist.h"
#include "platform/profile.h"

namespace {

// A fresh folder as the working directory for one benchmark.
struct ScratchDir {
  ScratchDir() {
    root = std::filesystem::temp_directory_path() /
           ("tandrix-files-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root);
    old = std::filesystem::current_path();
    std::filesystem::current_path(root);
  }
  ~ScratchDir() {
    std::filesystem::current_path(old);
    std::filesystem::remove_all(root);
  }
  std::filesystem::path root, old;
};

// A games.ini of n entries as the product ships them: title, program,
// configuration, a file to copy, an edit, NewGame.
void WriteGames(const std::filesystem::path& file, int n) {
  std::ofstream ini(file, std::ios::binary);
  for (int g = 1; g <= n; ++g) {
    ini << "[Game" << g << "]\r\nGameTitle=Game number " << g << "\r\nGameExe=game" << g
        << ".exe\r\nGameVcg=game" << g << ".vcg\r\nFile1=mvajoy" << g
        << ".dll\r\nModify1=config.cfg joy joy=1\r\nNewGame=0\r\n\r\n";
  }
}

// Tandmon.ini as it grows: a few dozen keys, the write changing one value.
void BM_ProfileWrite(benchmark::State& state) {
  const bool locked = state.range(0) != 0;
  ScratchDir dir;
  const std::string file = (dir.root / "Tandmon.ini").string();
  for (int i = 0; i < 40; ++i) {
    platform::WritePrivateProfileString("Games", "Game" + std::to_string(i), "Title", file);
  }
  platform::testing::LockProfileWrites(locked);
  int n = 0;
  for (auto _ : state) {
    bool ok = platform::WritePrivateProfileString("Games", "Current",
                                                  (n++ & 1) ? "quake.vcg" : "duke.vcg", file);
    benchmark::DoNotOptimize(ok);
  }
  platform::testing::LockProfileWrites(true);
  state.SetLabel(locked ? "with lock" : "without lock");
}
BENCHMARK(BM_ProfileWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_LoadGameList(benchmark::State& state) {
  ScratchDir dir;
  const int games = static_cast<int>(state.range(0));
  WriteGames(dir.root / "games.ini", games);
  GameList list;
  for (auto _ : state) {
    LoadGameList(list);
    benchmark::DoNotOptimize(list.size());
  }
  if (list.size() != static_cast<std::size_t>(games)) state.SkipWithError("games missing");
  state.SetComplexityN(games);
}
BENCHMARK(BM_LoadGameList)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
