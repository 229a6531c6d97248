// Buffered files in the C runtime's text and binary modes.
//
// Text mode behaves like the original platform's C runtime on every host:
// "\n" is written as CR LF, CR LF reads back as "\n", and a bare LF is
// accepted on reading. Positions (Tell/Seek) are byte offsets in the file.
//
// A file opened for reading is read whole when it is opened; lookups that
// rewind and rescan work on that copy, never on the disk again.
//
// A file opened for writing (not appending) is built in memory and written
// to a temporary file beside the target, which is renamed over the target
// only when Close() has written every byte. A failure therefore never
// leaves half a file, and the old file survives it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Larger files are refused: a configuration or ini file of this size is a
// mistake (or /dev/zero), and reading it whole would exhaust memory.
inline constexpr std::int64_t kMaxFileBytes = 16 * 1024 * 1024;

// Why the last file operation of this thread failed, like the original
// platform's last-error value.
enum class FileError {
  None,
  NotFound,     // no such file, or its folder is missing
  NotRegular,   // a FIFO, a device, a socket or a folder
  TooLarge,     // more than kMaxFileBytes
  Denied,       // no permission, or read-only
  DiskFull,     // no room left on the disk (or in the user's quota)
  SizeLimit,    // over the file size limit of the process (ulimit -f)
  Failed,       // any other failure (an I/O error)
};
FileError LastFileError();
void SetLastFileError(FileError error);
// "not a regular file", "larger than 16 MB" ...: for messages to the user.
const char* FileErrorText(FileError error);

enum class OpenMode {
  ReadText,      // "r"
  ReadBinary,    // "rb"
  WriteText,     // "w": replaces the file when closed
  WriteBinary,   // "wb"
  AppendText,    // "a": appends, creating the file when missing
  AppendBinary,  // "ab"
};

class File {
 public:
  static constexpr int kEof = -1;

  File() = default;
  File(std::string_view path, OpenMode mode) { Open(path, mode); }
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;

  // Opens a DOS or host path. False when the file cannot be opened (read:
  // missing or unreadable; write: its folder is missing or not writable).
  bool Open(std::string_view path, OpenMode mode);
  bool IsOpen() const { return open_; }

  // --- reading -----------------------------------------------------------
  // Like fgets with a buffer of maxChars + 1: reads up to and including the
  // next "\n", but at most maxChars characters; the rest of a longer line is
  // handed back by the next call. False at end of file (nothing read).
  bool ReadLine(std::string& line, std::size_t maxChars);
  // Next character after text-mode translation, or kEof.
  int GetChar();
  bool AtEnd() const { return pos_ >= data_.size(); }
  std::int64_t Tell() const { return static_cast<std::int64_t>(pos_); }
  bool Seek(std::int64_t offset);
  void Rewind() { pos_ = 0; }
  // Every byte of a file opened for reading, untranslated.
  const std::string& Bytes() const { return data_; }

  // --- writing -----------------------------------------------------------
  bool Write(std::string_view text);
  bool Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // Writes out what is pending and closes. For a replacing write, the target
  // changes only when this returns true. Reading files always close cleanly.
  bool Close();
  // Closes a replacing write without touching the target.
  void Abandon();

 private:
  // The host's part of Open for the writing and appending modes, on the
  // members Open has set: false, with LastFileError() saying why, when the
  // file cannot be written.
  bool OpenForWriting();
  bool Flush();
  bool CloseDescriptor();  // fd_ of an appending file
  void Reset();

  bool open_ = false;
  bool text_ = true;
  OpenMode mode_ = OpenMode::ReadText;
  bool failed_ = false;
  std::string hostPath_;
  std::string data_;  // read: whole file; write: pending bytes
  std::size_t pos_ = 0;
  int fd_ = -1;       // append mode only
};

// Reads a whole file into bytes (binary). False when it cannot be read;
// LastFileError() says why.
bool ReadWholeFile(std::string_view path, std::string& bytes);
// The same on a descriptor already open (from its current position).
bool ReadWholeFd(int fd, std::string& bytes);

// What a replacing write does with a symbolic link at the path it is
// given: write to the file the link names (a link the user made stays a
// link), or put the new file in the link's place, so that a link planted
// where a program writes its own file cannot send the write elsewhere.
enum class AtLink { kFollow, kReplace };

// Replaces a file with bytes through a temporary file and a rename.
//
// Every replacing write goes through a temporary named ".tandrix-XXXXXX"
// beside the target, flushed to the disk before the rename. A writer that
// is killed leaves its temporary behind; the next write into that folder
// removes such leftovers once they are a minute old.
bool WriteWholeFile(std::string_view path, std::string_view bytes,
                    AtLink atLink = AtLink::kFollow);

// The host path a replacing write ends up writing: the final target of a
// chain of symbolic links (a missing target is created there).
std::string ReplaceTarget(const std::string& hostPath);
// Replaces the file at a host path (already resolved with ReplaceTarget)
// with bytes, keeping its mode and owner.
bool ReplaceHostFile(const std::string& hostPath, std::string_view bytes);

// Replaces the file at path with head followed by the bytes of src from
// offset on (nothing of src when it is shorter), in the same way as
// WriteWholeFile but read and written in pieces, so files of any size can
// be copied: the target is old or new, never half written. src may be the
// target itself. False, the target unchanged, when src is not a regular
// file or cannot be read, or the target cannot be written.
bool ReplaceFileSpliced(std::string_view path, std::string_view head, std::string_view src,
                        std::int64_t offset, AtLink atLink = AtLink::kFollow);

// A new, empty temporary file beside a host path, under a name no other
// writer gets (".tandrix-XXXXXX"); empty when the folder cannot take it
// (LastFileError() says why). The caller renames it into place or removes
// it. Stale temporaries of the folder are removed first.
std::string CreateTemporaryBeside(const std::string& hostPath);
// Copies the bytes and permission bits of the regular file src into the
// file at dst (a temporary from CreateTemporaryBeside, emptied first) and
// flushes it to the disk. False, with LastFileError() and errno saying why,
// when src cannot be read or dst written (a full disk is ENOSPC, not a
// vague I/O error).
bool CopyIntoTemporary(const std::string& srcHost, const std::string& dstHost);
// Flushes a file written by other means to the disk, so that a rename over
// its target never exposes an empty or half file after a crash.
bool SyncHostFile(const std::string& hostPath);
// Removes this product's temporaries in a host folder that belong to this
// user and are older than a minute: what killed writers left behind. A
// folder is looked at no more than once a minute per process.
void RemoveStaleTemporaries(const std::string& hostFolder);
// How old a temporary must be before it counts as left behind.
inline constexpr int kStaleTemporarySeconds = 60;
// The error for an errno value of a failed file operation.
FileError FileErrorFromErrno(int error);

// The first count bytes of a regular file (fewer when it is shorter).
bool ReadFileHead(std::string_view path, std::size_t count, std::string& bytes);

namespace testing {
// Makes the next writes fail after this many bytes have reached the disk,
// as a full disk would; a negative value turns the fault off.
void FailWritesAfter(std::int64_t bytes);
// Forgets which folders were cleaned of stale temporaries, so the next
// write looks again at once.
void ForgetCleanedFolders();
}  // namespace testing

}  // namespace platform
