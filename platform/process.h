// Process snapshots and process start.
//
// A snapshot lists the running processes oldest first, so the newest one is
// the last entry, and begins with a pseudo-entry for the system itself
// (process id 0), as the original platform's tool-help snapshot does. Each
// entry carries the executable's full path in DOS form.
//
// Only the processes of the user the program runs as (its effective user)
// are listed: on a machine shared by several users, the monitor of one must
// not act on another's games. Processes of that same user in another login
// session are listed: they use the same product folder and settings.
//
// On Linux the list comes from /proc: the executable is /proc/PID/exe and
// the age is the start time in /proc/PID/stat. A program running under
// Wine or Proton is a Wine loader on the host; it is listed under the
// Windows image Wine runs (its first argument), resolved against the
// process's current directory when that argument is relative, so a game
// started as "quake.exe" is found as ...\quake.exe.
//
// Both the source of snapshots and the way programs are started can be
// replaced, so that tests script the process list and record the starts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct ProcessEntry {
  std::uint32_t processId = 0;
  std::uint32_t parentProcessId = 0;
  std::string exePath;  // DOS form, e.g. "Z:\games\quake\quake.exe"
};

// The name the system pseudo-entry carries.
inline constexpr std::string_view kSystemProcessName = "[System Process]";

// One list taken at one moment, walked with First and Next.
class ProcessSnapshot {
 public:
  explicit ProcessSnapshot(std::vector<ProcessEntry> entries) : entries_(std::move(entries)) {}

  // The first entry (the system), restarting the walk. False when empty.
  bool First(ProcessEntry& entry);
  // The entry after the last one handed out. False after the newest.
  bool Next(ProcessEntry& entry);
  const std::vector<ProcessEntry>& Entries() const { return entries_; }

 private:
  std::vector<ProcessEntry> entries_;
  std::size_t next_ = 0;
};

// Where snapshots come from. The default lists the host's processes.
class ProcessLister {
 public:
  virtual ~ProcessLister() = default;
  // Fills out, system pseudo-entry first, oldest process next, newest last.
  // False when no list can be taken.
  virtual bool List(std::vector<ProcessEntry>& out) = 0;
};

// A snapshot of the running processes; null when none can be taken.
std::unique_ptr<ProcessSnapshot> CreateProcessSnapshot();

// Installs the source of snapshots (null: the host's processes again).
// Returns the previous one. The caller keeps ownership.
ProcessLister* SetProcessLister(ProcessLister* lister);

// Installs a source of snapshots for the length of a scope and puts back the
// one it replaced.
class ScopedProcessLister {
 public:
  explicit ScopedProcessLister(ProcessLister* lister) : previous_(SetProcessLister(lister)) {}
  ~ScopedProcessLister() { SetProcessLister(previous_); }
  ScopedProcessLister(const ScopedProcessLister&) = delete;
  ScopedProcessLister& operator=(const ScopedProcessLister&) = delete;

 private:
  ProcessLister* previous_;
};

// The host's processes, read from /proc, in snapshot order.
bool ListHostProcesses(std::vector<ProcessEntry>& out);

// How programs are started. The default starts real processes.
class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;
  virtual bool Start(std::string_view program, std::string_view commandLine,
                     std::string_view currentDirectory, std::uint32_t* processId) = 0;
};

// Installs the way programs are started (null: real processes again).
// Returns the previous one. The caller keeps ownership.
ProcessStarter* SetProcessStarter(ProcessStarter* starter);

// Starts program as a new process that runs on by itself (it is never
// waited for, and leaves no zombie behind).
//
//  * program is a DOS or host path, relative ones taken from the caller's
//    working directory; no search path is used. When a name ending in
//    ".exe" does not exist, the name without the extension is tried, so an
//    installation may hold "svcsetup" for "svcsetup.exe".
//  * commandLine is split into arguments at blanks, double quotes grouping
//    (see SplitCommandLine). When its first word names the program itself
//    (the whole path or its file name, without regard to case), that word
//    is the new program's argv[0]; otherwise argv[0] is the program and
//    every word of the command line is an argument. A program that wants
//    the command line as one text joins its arguments with blanks.
//  * currentDirectory is the new process's working directory; "." is the
//    caller's.
//  * No descriptor of the caller is inherited beyond standard input,
//    output and error.
//
// False when the program cannot be found or run, or the directory does not
// exist. processId, when given, receives the new process's id.
bool StartProcess(std::string_view program, std::string_view commandLine,
                  std::string_view currentDirectory, std::uint32_t* processId = nullptr);

// Words of a command line: runs of characters other than blanks and tabs,
// where text between double quotes keeps its blanks (the quotes are
// dropped).
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The command line as one text: the arguments after the program name,
// separated by blanks. Every program takes it before its front end sees
// argv, as Qt removes the arguments it knows.
std::string CommandLineOf(int argc, char** argv);

// True when any argument after the program name asks for the usage:
// "--help", "-h" or "/?". Every packaged program then prints its usage and
// acts on nothing else, wherever on the line the question stands.
bool AsksForHelp(int argc, char** argv);

// Ends a process started earlier. False when it no longer runs.
bool TerminateProcess(std::uint32_t processId);

// True while the process exists and has not ended.
bool ProcessIsRunning(std::uint32_t processId);

// The folder the original platform kept its own programs in (rundll32.exe
// and the like): TANDRIX_WINDIR when set, else "C:\WINDOWS". On a host
// without such programs starting one of them simply fails.
std::string WindowsDirectory();

// This program's own executable, full path in DOS form (what the original
// platform's module file name gives); empty when it cannot be found.
std::string ProgramPath();

// A host program to start by name (Linux): program itself when it names a
// folder, else the first executable file of that name in PATH (the usual
// folders when PATH is unset); empty when there is none.
std::string FindHostProgram(const std::string& program);

}  // namespace platform
