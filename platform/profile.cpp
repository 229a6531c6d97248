#include "platform/profile.h"

#include <climits>
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

std::vector<Line> SplitLines(const std::string& bytes) {
  std::vector<Line> lines;
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t nl = bytes.find('\n', i);
    std::size_t end = nl == std::string::npos ? bytes.size() : nl;
    std::size_t next = nl == std::string::npos ? bytes.size() : nl + 1;
    if (end > i && bytes[end - 1] == '\r') --end;
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

std::string CleanValue(std::string_view raw) {
  std::string_view v = Trim(raw);
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return std::string(v);
}

struct Location {
  bool sectionFound = false;
  std::size_t sectionLine = 0;    // index of the "[section]" line
  std::size_t insertAfter = 0;    // last non-blank line of the section
  std::optional<std::size_t> keyLine;
};

Location Find(const std::string& bytes, const std::vector<Line>& lines, std::string_view section,
              std::string_view key) {
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

std::optional<std::string> ReadValue(std::string_view section, std::string_view key,
                                     std::string_view file) {
  std::string bytes;
  if (!ReadWholeFile(file, bytes)) return std::nullopt;
  auto lines = SplitLines(bytes);
  Location loc = Find(bytes, lines, section, key);
  if (!loc.keyLine) return std::nullopt;
  return CleanValue(KeyLine(Text(bytes, lines[*loc.keyLine]))->second);
}

}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, std::size_t bufferSize,
                                    std::string_view file) {
  std::string value = ReadValue(section, key, file).value_or(std::string(def));
  std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
  if (value.size() > limit) value.resize(limit);
  return value;
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int def,
                         std::string_view file) {
  auto value = ReadValue(section, key, file);
  if (!value || value->empty()) return def;
  std::string_view v = *value;
  bool negative = false;
  if (!v.empty() && (v[0] == '-' || v[0] == '+')) {
    negative = v[0] == '-';
    v.remove_prefix(1);
  }
  long long n = 0;
  for (char c : v) {
    if (c < '0' || c > '9') break;
    n = n * 10 + (c - '0');
    if (n > static_cast<long long>(INT_MAX) + 1) break;  // saturate below
  }
  if (negative) n = -n;
  if (n > INT_MAX) n = INT_MAX;
  if (n < INT_MIN) n = INT_MIN;
  return static_cast<int>(n);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view file) {
  std::string bytes;
  if (!ReadWholeFile(file, bytes)) {
    if (FileExists(file)) return false;  // there but unreadable
    bytes.clear();
  }
  auto lines = SplitLines(bytes);
  Location loc = Find(bytes, lines, section, key);
  std::string keyLine = std::string(key) + "=" + std::string(value);

  std::string out;
  out.reserve(bytes.size() + keyLine.size() + section.size() + 8);
  if (loc.keyLine) {
    const Line& l = lines[*loc.keyLine];
    out.append(bytes, 0, l.start);
    out += keyLine;
    out.append(bytes, l.end, std::string::npos);
  } else if (loc.sectionFound) {
    const Line& l = lines[loc.insertAfter];
    out.append(bytes, 0, l.next);
    if (l.next == l.end) out += "\r\n";  // last line had no line end
    out += keyLine + "\r\n";
    out.append(bytes, l.next, std::string::npos);
  } else {
    out = bytes;
    if (!out.empty() && out.back() != '\n') out += "\r\n";
    if (!out.empty()) out += "\r\n";
    out += "[" + std::string(section) + "]\r\n" + keyLine + "\r\n";
  }
  return WriteWholeFile(file, out);
}

}  // namespace platform
