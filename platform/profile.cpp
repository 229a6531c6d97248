#include "platform/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/dospath.h"
#include "platform/file.h"
#include "platform/fileops.h"

namespace platform {
namespace {

struct Line {
  std::size_t start;  // first byte
  std::size_t end;    // one past the last byte before the line end
  std::size_t next;   // first byte of the following line
};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Lines as the original platform's profile functions see them: ended by
// CR LF, a bare LF or a lone CR. A UTF-8 byte-order mark before the first
// line is no part of it (editors put one there).
std::vector<Line> SplitLines(const std::string& bytes) {
  std::vector<Line> lines;
  std::size_t i = std::string_view(bytes).starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0;
  while (i < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", i);
    std::size_t next;
    if (end == std::string::npos) {
      end = next = bytes.size();
    } else {
      next = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    lines.push_back({i, end, next});
    i = next;
  }
  return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view Text(const std::string& bytes, const Line& l) {
  return std::string_view(bytes).substr(l.start, l.end - l.start);
}

// The section name of a "[name]" line, if it is one.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line[0] != '[') return std::nullopt;
  line.remove_prefix(1);
  std::size_t close = line.find(']');
  return Trim(close == std::string_view::npos ? line : line.substr(0, close));
}

// The key and the raw value of a "key = value" line, if it is one.
std::optional<std::pair<std::string_view, std::string_view>> KeyLine(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '[') return std::nullopt;
  std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return std::make_pair(Trim(t.substr(0, eq)), t.substr(eq + 1));
}

// Blanks around the value go, then one pair of matching quotes, double or
// single.
std::string CleanValue(std::string_view raw) {
  std::string_view v = Trim(raw);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return std::string(v);
}

// A caller's default loses its trailing blanks, as a value read from the
// file would.
std::string CleanDefault(std::string_view def) {
  while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
  return std::string(def);
}

struct Location {
  bool sectionFound = false;
  std::size_t sectionLine = 0;    // index of the "[section]" line
  std::size_t insertAfter = 0;    // last non-blank line of the section
  std::optional<std::size_t> keyLine;
};

Location Find(const std::string& bytes, const std::vector<Line>& lines, std::string_view section,
              std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  Location loc;
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view text = Text(bytes, lines[i]);
    if (auto name = SectionName(text)) {
      if (inSection) break;  // the first section of that name is the one used
      if (EqualsNoCase(*name, section)) {
        inSection = true;
        loc.sectionFound = true;
        loc.sectionLine = i;
        loc.insertAfter = i;
      }
      continue;
    }
    if (!inSection) continue;
    if (!Trim(text).empty()) loc.insertAfter = i;
    if (auto kv = KeyLine(text); kv && EqualsNoCase(kv->first, key)) {
      loc.keyLine = i;
      break;
    }
  }
  return loc;
}

std::string Cut(std::string value, std::size_t bufferSize) {
  std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
  if (value.size() > limit) value.resize(limit);
  return value;
}

// The leading decimal number, wrapping modulo 2^32 like the original
// platform's conversion: "4294967297" is 1, "-4294967297" is -1.
int LeadingInt(std::string_view v) {
  bool negative = false;
  if (!v.empty() && (v[0] == '-' || v[0] == '+')) {
    negative = v[0] == '-';
    v.remove_prefix(1);
  }
  std::uint32_t n = 0;
  for (char c : v) {
    if (c < '0' || c > '9') break;
    n = n * 10u + static_cast<std::uint32_t>(c - '0');
  }
  if (negative) n = 0u - n;
  return static_cast<int>(n);
}

std::atomic<bool> g_lockWrites{true};

// An exclusive advisory lock on the ini file for one read-change-replace.
//
// The lock sits on the file itself. The replace renames a new file into
// place, so a writer that was waiting may hold the lock of a file that is
// no longer there; it checks, after locking, that the name still leads to
// the inode it locked, and otherwise starts again on the new file. A file
// that does not exist yet is created empty first, so every writer locks
// the same inode. Readers need no lock: they see the old file or the new
// one.
class ProfileLock {
 public:
  ProfileLock() = default;
  ProfileLock(const ProfileLock&) = delete;
  ProfileLock& operator=(const ProfileLock&) = delete;
  ~ProfileLock() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock
  }

  // Opens and locks the file at host path target; false (with the last
  // file error set) when it cannot be opened or is not a regular file.
  bool Acquire(const std::string& target) {
    for (;;) {
      created_ = false;
      fd_ = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd_ < 0 && errno == ENOENT) {
        fd_ = ::open(target.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno == EEXIST) continue;  // another writer made it first
        created_ = fd_ >= 0;
      }
      if (fd_ < 0) return Fail(FileErrorFromErrno(errno));
      struct stat locked;
      if (::fstat(fd_, &locked) != 0 || !S_ISREG(locked.st_mode)) {
        return Fail(FileError::NotRegular);
      }
      if (g_lockWrites.load()) {
        while (::flock(fd_, LOCK_EX) != 0) {
          if (errno != EINTR) return Fail(FileError::Failed);
        }
      }
      struct stat now;
      if (::stat(target.c_str(), &now) == 0 && now.st_dev == locked.st_dev &&
          now.st_ino == locked.st_ino) {
        return true;
      }
      ::close(fd_);  // replaced or removed meanwhile: lock the file there now
      fd_ = -1;
    }
  }

  int fd() const { return fd_; }

  // After a failed write: a file this writer created empty goes again.
  void Undo(const std::string& target) {
    if (created_) ::unlink(target.c_str());
  }

 private:
  bool Fail(FileError error) {
    SetLastFileError(error);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return false;
  }

  int fd_ = -1;
  bool created_ = false;
};

}  // namespace

PrivateProfile::PrivateProfile(std::string_view file) {
  if (!ReadWholeFile(file, bytes_)) {
    readable_ = LastFileError() == FileError::NotFound;
    bytes_.clear();
    return;
  }
  Section* current = nullptr;
  for (const Line& line : SplitLines(bytes_)) {
    const std::string_view text = Text(bytes_, line);
    if (auto name = SectionName(text)) {
      // Only the first section of a name counts; the keys of a later one
      // are never found.
      auto [it, fresh] = sections_.try_emplace(ToLowerAscii(*name));
      current = fresh ? &it->second : nullptr;
      continue;
    }
    if (current == nullptr) continue;
    if (auto kv = KeyLine(text)) current->keys.try_emplace(ToLowerAscii(kv->first), kv->second);
  }
}

const std::string_view* PrivateProfile::Find(std::string_view section,
                                             std::string_view key) const {
  // Blanks around the names asked for count as little as those in the file.
  auto s = sections_.find(ToLowerAscii(Trim(section)));
  if (s == sections_.end()) return nullptr;
  auto k = s->second.keys.find(ToLowerAscii(Trim(key)));
  return k == s->second.keys.end() ? nullptr : &k->second;
}

std::string PrivateProfile::GetString(std::string_view section, std::string_view key,
                                      std::string_view def, std::size_t bufferSize) const {
  const std::string_view* raw = Find(section, key);
  return Cut(raw ? CleanValue(*raw) : CleanDefault(def), bufferSize);
}

int PrivateProfile::GetInt(std::string_view section, std::string_view key, int def) const {
  const std::string_view* raw = Find(section, key);
  if (raw == nullptr) return def;
  std::string value = CleanValue(*raw);
  return value.empty() ? def : LeadingInt(value);
}

namespace testing {
void LockProfileWrites(bool on) { g_lockWrites.store(on); }
}  // namespace testing

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, std::size_t bufferSize,
                                    std::string_view file) {
  return PrivateProfile(file).GetString(section, key, def, bufferSize);
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int def,
                         std::string_view file) {
  return PrivateProfile(file).GetInt(section, key, def);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view file) {
  auto host = ToHostPath(file);
  if (!host) {
    SetLastFileError(FileError::NotFound);
    return false;
  }
  // Through a symbolic link the link's target is locked and replaced.
  const std::string target = ReplaceTarget(*host);
  struct stat st;
  if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0) {
    SetLastFileError(FileError::Denied);  // read-only, also for root
    return false;
  }
  ProfileLock lock;
  if (!lock.Acquire(target)) return false;
  std::string bytes;
  if (!ReadWholeFd(lock.fd(), bytes)) return false;

  // Names are stored as they are looked up: without blanks around them.
  section = Trim(section);
  key = Trim(key);
  auto lines = SplitLines(bytes);
  Location loc = Find(bytes, lines, section, key);
  std::string out;
  out.reserve(bytes.size() + key.size() + value.size() + section.size() + 8);
  if (loc.keyLine) {
    // The key keeps the name it is stored under, whatever case the caller
    // wrote it in.
    const Line& l = lines[*loc.keyLine];
    out.append(bytes, 0, l.start);
    out.append(KeyLine(Text(bytes, l))->first).append("=").append(value);
    out.append(bytes, l.end, std::string::npos);
  } else if (loc.sectionFound) {
    const Line& l = lines[loc.insertAfter];
    out.append(bytes, 0, l.next);
    if (l.next == l.end) out += "\r\n";  // last line had no line end
    out.append(key).append("=").append(value).append("\r\n");
    out.append(bytes, l.next, std::string::npos);
  } else {
    out = bytes;
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
    if (!out.empty()) out += "\r\n";
    out.append("[").append(section).append("]\r\n");
    out.append(key).append("=").append(value).append("\r\n");
  }
  if (ReplaceHostFile(target, out)) return true;
  lock.Undo(target);
  return false;
}

}  // namespace platform
