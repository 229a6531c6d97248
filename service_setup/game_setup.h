// What the service setup does to a game's folder, and undoes.
//
// Setting up keeps the game's executable as realgame.exe beside it, puts
// the product's launcher stub (support\specmva.exe) at the front of the
// executable, so that whatever starts the game under its usual name starts
// the launcher, and writes specmva.bat, which loads the DOS driver and runs
// the game through the product's front end with realgame.exe as the
// program. Restoring copies realgame.exe back.
//
// The executable is never left half-written: its new contents (the stub's
// bytes, then what the old executable holds past the stub's length) are
// built beside it and put in its place in one step, and a failure leaves
// the old executable as it was.
//
// The game is never lost: everything that can stop a setup is checked
// before a byte is written, realgame.exe only ever receives the game, and
// the restore copies it back only over the launcher, never over a program
// that has changed since (a patch, another program).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file.h"
#include "service_setup/service_games.h"

enum class SetupStatus {
  kDone,
  kPathTooLong,      // longer than a path of Services can be read back
  kGameNotFound,     // no such executable (or none it may read)
  kStubMissing,      // support\specmva.exe cannot be read
  kGameNotOpened,    // the executable cannot be written in place
  kRealGameNotMade,  // realgame.exe could not be written
  kNewFileFailed,    // the new executable could not be written
  kBatchNotCreated,  // specmva.bat could not be written; the executable is back as it was
  kNotRecorded,      // tandmon.ini could not be written; the executable is back as it was
};

struct SetupRequest {
  std::string productDir;  // W: the product folder
  std::string gamePath;    // the game's executable, a full path
  int game = kNoGame;      // which front end specmva.bat runs
};

struct SetupResult {
  SetupStatus status = SetupStatus::kDone;
  std::string gameDir;     // the folder of the executable (D)
  std::string batchPath;   // D\specmva.bat
  // Of a failure: the file that could not be read or written, and why.
  std::string failedFile;
  platform::FileError cause = platform::FileError::None;
  bool gameKept = true;    // false: the executable is the launcher, the game is in realgame.exe
};

// Everything OK does, in order: realgame.exe, the launcher over the
// executable, specmva.bat, and the Services keys, so that a restore finds
// the game. A game set up already (the service started twice) keeps its
// realgame.exe and gets the current launcher.
SetupResult SetUpGame(const SetupRequest& request);

// Paths of Services are read back into a buffer of this many characters
// with its terminator: a longer one would come back cut.
inline constexpr std::size_t kMaxServicePath = kServicePathBuffer - 1;

// Writes D\specmva.bat (text mode) for the game's folder D and the front
// end; false when it cannot be created or written.
bool WriteServiceBatch(std::string_view productDir, std::string_view gameDir,
                       std::string_view frontEnd, std::string* batchPath = nullptr);

enum class RestoreStatus {
  kRestored,
  kNothingSetUp,   // CurrentGame is empty
  kCopyMissing,    // realgame.exe is not there
  kNotLauncher,    // the executable is not the launcher over realgame.exe
  kNotWritten,     // the executable could not be replaced
};

// Copies realgame.exe back over the executable CurrentGame names, when that
// is still the launcher this product put over it. Anything short of that
// is logged to error.log as one line saying why, and the executable is
// left as it is.
RestoreStatus RestoreGame(std::string_view productDir);

// The error.log line of a start without a command line.
void LogNoCommandLine(std::string_view productDir);

// "<productDir>\error.log".
std::string ServiceErrorLogPath(std::string_view productDir);
