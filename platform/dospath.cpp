#include "platform/dospath.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace platform {
namespace {

struct DriveTable {
  // Host folder of each letter A..Z, empty when unmapped.
  std::array<std::string, 26> folder;
};

std::mutex g_driveMutex;
DriveTable g_drives;
bool g_drivesLoaded = false;

std::string StripTrailingSlashes(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

DriveTable LoadDrives() {
  DriveTable t;
  t.folder['Z' - 'A'] = "/";
  const char* env = std::getenv("TANDRIX_DRIVES");
  if (env == nullptr) return t;
  std::string_view rest(env);
  while (!rest.empty()) {
    std::size_t end = rest.find(';');
    std::string_view entry = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (entry.size() < 3 || entry[1] != '=') continue;
    char letter = entry[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') continue;
    std::string folder(entry.substr(2));
    if (folder.empty() || folder[0] != '/') continue;
    t.folder[letter - 'A'] = StripTrailingSlashes(folder);
  }
  return t;
}

DriveTable Drives() {
  std::lock_guard lock(g_driveMutex);
  if (!g_drivesLoaded) {
    g_drives = LoadDrives();
    g_drivesLoaded = true;
  }
  return g_drives;
}

std::string HostCwd() {
  std::array<char, 4096> buf{};
  if (::getcwd(buf.data(), buf.size()) == nullptr) return "/";
  return buf.data();
}

bool IsSep(char c) { return c == '\\' || c == '/'; }

// Splits on both separators, dropping empty and "." components and folding
// "..", which never climbs above the root it starts from.
void AppendComponents(std::vector<std::string>& out, std::string_view path) {
  std::size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && IsSep(path[i])) ++i;
    std::size_t start = i;
    while (i < path.size() && !IsSep(path[i])) ++i;
    std::string_view comp = path.substr(start, i - start);
    if (comp.empty() || comp == ".") continue;
    if (comp == "..") {
      if (!out.empty()) out.pop_back();
      continue;
    }
    out.emplace_back(comp);
  }
}

bool Exists(const std::string& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

// The name in folder dir that equals name without regard to case, if any.
std::optional<std::string> FindNoCase(const std::string& dir, const std::string& name) {
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return std::nullopt;
  std::optional<std::string> found;
  while (dirent* e = ::readdir(d)) {
    if (EqualsNoCase(e->d_name, name)) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

// Resolves components below root, matching existing ones without regard to
// case. Once a component is missing the rest is kept as given.
std::string Resolve(const std::string& root, const std::vector<std::string>& comps) {
  std::string cur = root == "/" ? "" : root;
  bool missing = false;
  for (const auto& c : comps) {
    std::string dir = cur.empty() ? "/" : cur;
    std::string next = cur + "/" + c;
    if (!missing && !Exists(next)) {
      if (auto real = FindNoCase(dir, c)) {
        next = cur + "/" + *real;
      } else {
        missing = true;
      }
    }
    cur = std::move(next);
  }
  return cur.empty() ? "/" : cur;
}

// The drive letter and the components (below the drive root) of the host
// path, which must be absolute and normalised.
std::pair<char, std::vector<std::string>> HostToDrive(const std::vector<std::string>& comps,
                                                       const DriveTable& drives) {
  char best = 'Z';
  std::size_t bestLen = 0;
  bool haveBest = false;
  for (int i = 0; i < 26; ++i) {
    const std::string& folder = drives.folder[i];
    if (folder.empty()) continue;
    std::vector<std::string> fc;
    AppendComponents(fc, folder);
    if (fc.size() > comps.size()) continue;
    bool prefix = true;
    for (std::size_t k = 0; k < fc.size() && prefix; ++k) prefix = fc[k] == comps[k];
    if (!prefix) continue;
    if (!haveBest || fc.size() > bestLen) {
      best = static_cast<char>('A' + i);
      bestLen = fc.size();
      haveBest = true;
    }
  }
  if (!haveBest) return {'Z', comps};
  return {best, std::vector<std::string>(comps.begin() + static_cast<long>(bestLen), comps.end())};
}

}  // namespace

void ReloadDriveTable() {
  std::lock_guard lock(g_driveMutex);
  g_drives = LoadDrives();
  g_drivesLoaded = true;
}

std::optional<std::string> ToHostPath(std::string_view path) {
  if (path.empty()) return std::nullopt;
  const DriveTable drives = Drives();

  // A leading '/' is a host path; it is also what "\" means on drive Z:,
  // where the current directory normally lies.
  if (path[0] == '/') {
    std::vector<std::string> comps;
    AppendComponents(comps, path);
    return Resolve("/", comps);
  }

  std::string cwdHost = HostCwd();
  std::vector<std::string> cwdComps;
  AppendComponents(cwdComps, cwdHost);
  auto [cwdDrive, cwdRel] = HostToDrive(cwdComps, drives);

  char drive = cwdDrive;
  std::vector<std::string> rel;
  std::string_view rest = path;
  bool absolute = false;
  if (path.size() >= 2 && path[1] == ':') {
    drive = ToUpperAscii(path[0]);
    if (drive < 'A' || drive > 'Z') return std::nullopt;
    rest = path.substr(2);
    if (!rest.empty() && IsSep(rest[0])) {
      absolute = true;
    } else if (drive != cwdDrive) {
      absolute = true;  // "D:foo" on another drive starts at its root
    }
  } else if (IsSep(path[0])) {
    absolute = true;
  }
  const std::string& root = drives.folder[drive - 'A'];
  if (root.empty()) return std::nullopt;
  if (!absolute) rel = cwdRel;
  AppendComponents(rel, rest);
  return Resolve(root, rel);
}

std::string ToDosPath(std::string_view hostPath) {
  std::vector<std::string> comps;
  if (hostPath.empty() || hostPath[0] != '/') AppendComponents(comps, HostCwd());
  AppendComponents(comps, hostPath);
  auto [drive, rel] = HostToDrive(comps, Drives());
  std::string out;
  out += drive;
  out += ':';
  if (rel.empty()) return out + "\\";
  for (const auto& c : rel) {
    out += '\\';
    out += c;
  }
  return out;
}

std::string CurrentDirectory() { return ToDosPath(HostCwd()); }

bool SetCurrentDirectory(std::string_view path) {
  auto host = ToHostPath(path);
  return host && ::chdir(host->c_str()) == 0;
}

}  // namespace platform
