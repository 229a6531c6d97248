#include "service_setup/game_setup.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "platform/dospath.h"
#include "platform/errorlog.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/profile.h"
#include "service_setup/strings.h"

namespace {

constexpr std::string_view kRealGame = "realgame.exe";
constexpr std::string_view kSection = "Services";
// The launchers this product has put over games, "size:hash" each, newest
// first: a game set up before a product update still starts with the old
// launcher, and is recognised by it.
constexpr std::string_view kLaunchersKey = "Launchers";
constexpr std::size_t kLaunchersKept = 8;

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

struct Launcher {
  std::int64_t size = 0;
  std::uint64_t hash = 0;
  bool operator==(const Launcher&) const = default;
};

Launcher SignatureOf(std::string_view bytes) {
  std::uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return {static_cast<std::int64_t>(bytes.size()), h};
}

std::vector<Launcher> RecordedLaunchers(std::string_view productDir) {
  std::vector<Launcher> launchers;
  std::istringstream in(platform::GetPrivateProfileString(kSection, kLaunchersKey, "",
                                                          kServicePathBuffer,
                                                          ServicesIniPath(productDir)));
  std::string item;
  while (in >> item) {
    Launcher l;
    char colon = 0;
    std::istringstream one(item);
    // A bad entry, or one claiming more than any file read whole, is skipped.
    if (one >> l.size >> colon >> std::hex >> l.hash && colon == ':' && l.size > 0 &&
        l.size <= platform::kMaxFileBytes) {
      launchers.push_back(l);
    }
  }
  return launchers;
}

bool RecordLauncher(std::string_view productDir, const Launcher& current) {
  std::vector<Launcher> launchers = RecordedLaunchers(productDir);
  std::erase(launchers, current);
  launchers.insert(launchers.begin(), current);
  if (launchers.size() > kLaunchersKept) launchers.resize(kLaunchersKept);
  std::ostringstream out;
  for (const Launcher& l : launchers) {
    out << (out.tellp() > 0 ? " " : "") << l.size << ':' << std::hex << l.hash << std::dec;
  }
  return platform::WritePrivateProfileString(kSection, kLaunchersKey, out.str(),
                                             ServicesIniPath(productDir));
}

// realgame.exe as this product wrote it: a regular file, not a link
// someone put in its place.
bool HaveRealGame(const std::string& realGame) {
  return !platform::IsSymbolicLink(realGame) && platform::FileSize(realGame) >= 0;
}

// The program is one of the launchers put over realgame.exe: a launcher's
// bytes, then what realgame.exe holds past the launcher's length.
bool IsLauncherOver(const std::string& program, const std::string& realGame,
                    const std::vector<Launcher>& launchers) {
  const std::int64_t programSize = platform::FileSize(program);
  const std::int64_t realSize = HaveRealGame(realGame) ? platform::FileSize(realGame) : -1;
  if (programSize < 0 || realSize < 0) return false;
  for (const Launcher& l : launchers) {
    if (programSize != std::max(realSize, l.size)) continue;
    std::string head;
    if (!platform::ReadFileHead(program, static_cast<std::size_t>(l.size), head) ||
        SignatureOf(head) != l) {
      continue;
    }
    if (realSize <= l.size || platform::SameBytesFrom(program, realGame, l.size)) return true;
  }
  return false;
}

SetupResult Failed(SetupResult result, SetupStatus status, std::string file) {
  result.status = status;
  result.failedFile = std::move(file);
  result.cause = platform::LastFileError();
  return result;
}

}  // namespace

SetupResult SetUpGame(const SetupRequest& request) {
  SetupResult result;
  const std::string& gamePath = request.gamePath;
  if (gamePath.size() > kMaxServicePath) return Failed(result, SetupStatus::kPathTooLong, gamePath);
  // A game named realgame.exe would be copied onto itself and then
  // overwritten by the launcher, losing it.
  platform::SetLastFileError(platform::FileError::NotFound);
  if (!FolderOf(gamePath, result.gameDir) || NamesRealGame(gamePath) ||
      platform::FileSize(gamePath) < 0) {
    return Failed(result, SetupStatus::kGameNotFound, gamePath);
  }
  const std::string realGame = result.gameDir + "\\" + std::string(kRealGame);

  // Everything that can stop the setup is checked before anything is
  // written. The stub is small and read whole; the game's program may be
  // large and is only ever streamed.
  const std::string stubPath = StubPath(request.productDir);
  std::string stub;
  if (!platform::ReadWholeFile(stubPath, stub) || stub.empty()) {
    return Failed(result, SetupStatus::kStubMissing, stubPath);
  }
  if (!platform::CanWriteFile(gamePath)) return Failed(result, SetupStatus::kGameNotOpened, gamePath);
  const Launcher current = SignatureOf(stub);
  // Recorded first, so that a setup cut short after the launcher went in
  // is still recognised once the launcher has changed.
  if (!RecordLauncher(request.productDir, current)) {
    return Failed(result, SetupStatus::kNotRecorded, ServicesIniPath(request.productDir));
  }

  // Set up already (the service started twice without ending): the
  // executable is a launcher and realgame.exe holds the game, which must
  // stay there. Otherwise the executable is the game, and realgame.exe gets
  // it unless it holds those very bytes already (restored, or an earlier
  // try that stopped).
  std::vector<Launcher> launchers = RecordedLaunchers(request.productDir);
  if (std::find(launchers.begin(), launchers.end(), current) == launchers.end()) {
    launchers.push_back(current);
  }
  const bool haveRealGame = HaveRealGame(realGame);
  const bool setUp = haveRealGame && IsLauncherOver(gamePath, realGame, launchers);
  if (!setUp && !(haveRealGame && platform::SameBytesFrom(gamePath, realGame, 0))) {
    // A read-only realgame.exe is what an earlier try copied from a
    // read-only game: it is this product's own file and no reason to stop.
    if (haveRealGame) platform::SetReadOnly(realGame, false);
    // AtLink::kReplace: a link planted at this name is replaced, not
    // written through.
    if (!platform::ReplaceFileSpliced(realGame, {}, gamePath, 0, platform::AtLink::kReplace)) {
      return Failed(result, SetupStatus::kRealGameNotMade, realGame);
    }
  }
  // Always from realgame.exe: an older launcher may be longer than this one.
  if (!platform::ReplaceFileSpliced(gamePath, stub, realGame, static_cast<std::int64_t>(stub.size()))) {
    return Failed(result, SetupStatus::kNewFileFailed, gamePath);
  }
  const ServiceGame* game = FindServiceGame(request.game);
  const std::string_view frontEnd = game != nullptr ? game->frontEnd : std::string_view{};
  SetupStatus failed = SetupStatus::kDone;
  if (!WriteServiceBatch(request.productDir, result.gameDir, frontEnd, &result.batchPath)) {
    result = Failed(result, SetupStatus::kBatchNotCreated, result.batchPath);
    failed = result.status;
  } else if (!RecordServiceGame(request.productDir, request.game, gamePath)) {
    result = Failed(result, SetupStatus::kNotRecorded, ServicesIniPath(request.productDir));
    failed = result.status;
  }
  if (failed != SetupStatus::kDone) {
    // Without the batch file the launcher cannot start the game, and
    // without CurrentGame no restore would find it: the game goes back
    // in place, so nothing is half set up.
    result.gameKept = platform::ReplaceFileSpliced(gamePath, {}, realGame, 0);
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

  const std::string lines[] = {
      "call " + product + "\\tdxload.bat",
      product.substr(0, 2),
      "cd " + product + "\\games",
      std::string(frontEnd) + " -dir " + dir + " -exe realgame.exe -noshow %1 %2 %3" +
          " %4 %5 %6 %7",
  };
  // A DOS text file: each line and the empty line after it end in CR LF.
  std::string text;
  for (std::size_t i = 0; i < std::size(lines); ++i) {
    text += lines[i] + (i + 1 == std::size(lines) ? "\r\n" : "\r\n\r\n");
  }
  // A link planted at this name is replaced, not written through.
  return platform::WriteWholeFile(path, text, platform::AtLink::kReplace);
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
  if (!hasFolder || !HaveRealGame(realGame)) {
    platform::AppendErrorLog(
        log, "SVCSETUP - Unable To Restore " + current + ", Cannot Find " + realGame);
    return RestoreStatus::kCopyMissing;
  }
  // Only over the launcher: a program patched or replaced since the setup
  // is newer than realgame.exe, and is left as it is.
  std::vector<Launcher> launchers = RecordedLaunchers(productDir);
  std::string stub;
  if (platform::ReadWholeFile(StubPath(productDir), stub) && !stub.empty()) {
    launchers.push_back(SignatureOf(stub));
  }
  if (!IsLauncherOver(current, realGame, launchers)) {
    if (platform::SameBytesFrom(current, realGame, 0)) return RestoreStatus::kRestored;
    platform::AppendErrorLog(log, "SVCSETUP - Not Restoring " + current +
                                      ", It Is Not The Launcher Set Up For " + realGame);
    return RestoreStatus::kNotLauncher;
  }
  // The executable keeps its own mode and owner.
  if (!platform::ReplaceFileSpliced(current, {}, realGame, 0)) {
    platform::AppendErrorLog(log, "SVCSETUP - Unable To Restore " + current +
                                      ", Cannot Replace It With " + realGame + ": " +
                                      platform::FileErrorText(platform::LastFileError()));
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
