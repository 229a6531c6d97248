// tandrix reg export over a store of 60,000 keys, as the tool runs it (a
// process with its output thrown away): all of them under one key, the
// worst case for walking the subkeys of a key in order, and spread over
// 60 keys of 1,000. Aim: under 1 s each; the walk is linear in the keys.
//
// The store goes to a fresh folder under TANDRIX_BENCH_DIR, else the
// system's temporary folder.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry.h"

extern char** environ;

namespace {

constexpr int kKeys = 60000;

// A store at a fresh path with kKeys keys below "Bench", perKey keys to
// each of kKeys / perKey parents, one string value each.
std::string MakeStore(int perKey) {
  const char* base = std::getenv("TANDRIX_BENCH_DIR");
  std::string dir = (base ? std::filesystem::path(base) : std::filesystem::temp_directory_path()) /
                    "tandrix-bench-XXXXXX";
  if (::mkdtemp(dir.data()) == nullptr) return {};
  const std::string path = dir + "/registry.db";
  std::string error;
  auto reg = platform::OpenSqliteRegistry(path, &error);
  if (!reg) return {};
  platform::RegTransaction group(*reg);
  for (int i = 0; i < kKeys; ++i) {
    platform::ScopedKey key(*reg);
    const std::string name = "Bench\\Parent" + std::to_string(i / perKey) + "\\Key" + std::to_string(i);
    if (reg->CreateKey(platform::kHKeyLocalMachine, name, key.handle()) != platform::kRegOk ||
        reg->SetString(key.get(), "Value", "text " + std::to_string(i)) != platform::kRegOk) {
      return {};
    }
  }
  return group.Commit() == platform::kRegOk ? path : std::string();
}

// Runs tandrix reg export on the store; its exit status.
int Export(const std::string& store) {
  const std::string env = "TANDRIX_REGISTRY=" + store;
  std::vector<char*> envp;
  for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
  envp.push_back(const_cast<char*>(env.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  char tool[] = TANDRIX_TOOL;
  char reg[] = "reg";
  char exportWord[] = "export";
  char* argv[] = {tool, reg, exportWord, nullptr};
  pid_t pid = 0;
  int status = -1;
  if (posix_spawn(&pid, tool, &actions, nullptr, argv, envp.data()) == 0) ::waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_RegExport(benchmark::State& state) {
  const std::string store = MakeStore(static_cast<int>(state.range(0)));
  if (store.empty()) {
    state.SkipWithError("cannot make the store");
    return;
  }
  for (auto _ : state) {
    if (Export(store) != 0) {
      state.SkipWithError("reg export failed");
      break;
    }
  }
  state.counters["keys"] = kKeys;
  std::filesystem::remove_all(std::filesystem::path(store).parent_path());
}
// Subkeys per parent: all 60,000 under one, then 1,000 under each of 60.
BENCHMARK(BM_RegExport)->Arg(kKeys)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
