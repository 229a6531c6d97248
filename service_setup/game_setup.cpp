#include "service_setup/game_setup.h"

#include "platform/dospath.h"
#include "platform/errorlog.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "service_setup/strings.h"

namespace {

constexpr std::string_view kRealGame = "realgame.exe";

std::string WithoutTrailingBackslash(std::string_view path) {
  std::string s(path);
  while (!s.empty() && s.back() == '\\') s.pop_back();
  return s;
}

// The text before the last backslash; false when there is none.
bool FolderOf(std::string_view path, std::string& folder) {
  const std::size_t cut = path.rfind('\\');
  if (cut == std::string_view::npos) return false;
  folder.assign(path.substr(0, cut));
  return true;
}

bool NamesRealGame(std::string_view path) {
  const std::size_t cut = path.rfind('\\');
  const std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  return platform::EqualsNoCase(name, kRealGame);
}

std::string StubPath(std::string_view productDir) {
  return WithoutTrailingBackslash(productDir) + "\\support\\specmva.exe";
}

}  // namespace

SetupResult SetUpGame(const SetupRequest& request) {
  SetupResult result;
  const std::string& gamePath = request.gamePath;
  // A game named realgame.exe would be copied onto itself and then
  // overwritten by the launcher, losing it.
  if (!FolderOf(gamePath, result.gameDir) || NamesRealGame(gamePath) ||
      !platform::IsRegularFile(gamePath)) {
    result.status = SetupStatus::kGameNotFound;
    return result;
  }
  const std::string realGame = result.gameDir + "\\" + std::string(kRealGame);

  // The stub is small and read whole; the game's program may be large and
  // is only ever streamed.
  std::string stub;
  const bool haveStub = platform::ReadWholeFile(StubPath(request.productDir), stub) && !stub.empty();
  std::string front;
  // Set up once already (the service started twice without ending): the
  // executable is the launcher and realgame.exe holds the game. Copying
  // again would put the launcher into realgame.exe and lose the game.
  const bool alreadySetUp = haveStub && platform::ReadFileHead(gamePath, stub.size(), front) &&
                            front == stub && platform::IsRegularFile(realGame);
  if (!alreadySetUp && !platform::CopyFile(gamePath, realGame, false)) {
    result.status = SetupStatus::kGameNotFound;
    return result;
  }
  if (!haveStub) {
    result.status = SetupStatus::kStubMissing;
    return result;
  }
  bool readOnly = false;
  if (!platform::GetReadOnly(gamePath, readOnly) || readOnly) {
    result.status = SetupStatus::kGameNotOpened;
    return result;
  }
  // Built from realgame.exe, the copy just made of the executable (or, set
  // up already, from the executable itself, which then stays as it is).
  const std::string& source = alreadySetUp ? gamePath : realGame;
  if (!platform::ReplaceFileSpliced(gamePath, stub, source, static_cast<std::int64_t>(stub.size()))) {
    result.status = SetupStatus::kNewFileFailed;
    return result;
  }
  const ServiceGame* game = FindServiceGame(request.game);
  const std::string_view frontEnd = game != nullptr ? game->frontEnd : std::string_view{};
  if (!WriteServiceBatch(request.productDir, result.gameDir, frontEnd, &result.batchPath)) {
    // Without the batch file the launcher cannot start the game: the
    // executable goes back to what it was, so nothing is half set up.
    if (!alreadySetUp) platform::CopyFile(realGame, gamePath, false);
    result.status = SetupStatus::kBatchNotCreated;
    return result;
  }
  result.status = SetupStatus::kDone;
  return result;
}

bool WriteServiceBatch(std::string_view productDir, std::string_view gameDir,
                       std::string_view frontEnd, std::string* batchPath) {
  const std::string dir = WithoutTrailingBackslash(gameDir);
  const std::string product = WithoutTrailingBackslash(productDir);
  const std::string path = dir + "\\specmva.bat";
  if (batchPath != nullptr) *batchPath = path;

  platform::File bat;
  if (!bat.Open(path, platform::OpenMode::WriteText)) return false;
  const std::string lines[] = {
      "call " + product + "\\tdxload.bat",
      product.substr(0, 2),
      "cd " + product + "\\games",
      std::string(frontEnd) + " -dir " + dir + " -exe realgame.exe -noshow %1 %2 %3" +
          " %4 %5 %6 %7",
  };
  bool ok = true;
  for (std::size_t i = 0; i < std::size(lines); ++i) {
    const bool last = i + 1 == std::size(lines);
    ok = bat.Printf(last ? "%s\n" : "%s\n\n", lines[i].c_str()) && ok;
  }
  if (!ok) {
    bat.Abandon();
    return false;
  }
  return bat.Close();
}

RestoreStatus RestoreGame(std::string_view productDir) {
  const std::string log = ServiceErrorLogPath(productDir);
  const std::string current = ReadCurrentGame(productDir);
  if (current.empty()) {
    platform::AppendErrorLog(
        log, "SVCSETUP - Nothing To Restore, No Game Has Been Set Up For A Service");
    return RestoreStatus::kNothingSetUp;
  }
  std::string dir;
  const bool hasFolder = FolderOf(current, dir);
  const std::string realGame = hasFolder ? dir + "\\" + std::string(kRealGame) : std::string(kRealGame);
  if (!hasFolder || !platform::IsRegularFile(realGame)) {
    platform::AppendErrorLog(
        log, "SVCSETUP - Unable To Restore " + current + ", Cannot Find " + realGame);
    return RestoreStatus::kCopyMissing;
  }
  if (!platform::CopyFile(realGame, current, false)) {
    platform::AppendErrorLog(
        log, "SVCSETUP - Unable To Restore " + current + ", Cannot Replace It With " + realGame);
    return RestoreStatus::kNotWritten;
  }
  return RestoreStatus::kRestored;
}

void LogNoCommandLine(std::string_view productDir) {
  platform::AppendErrorLog(ServiceErrorLogPath(productDir), ServiceString(kIdsNoCommandLine));
}

std::string ServiceErrorLogPath(std::string_view productDir) {
  return WithoutTrailingBackslash(productDir) + "\\error.log";
}
