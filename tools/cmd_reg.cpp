// tandrix reg export [KEY] | import FILE: the registry store as REGEDIT4 text.
//
// Export writes the Windows convention: a "[HKEY_LOCAL_MACHINE\...]" line per
// key, then "name"="text" for string values, dword:xxxxxxxx for four-byte
// numbers, hex:.. for binary values and hex(type):.. for anything a plain
// form would not give back byte for byte (a string without its zero, one
// holding control characters ...), the type in hexadecimal as regedit
// writes it. Import takes the same text, and "[-KEY]" and "name"=- to
// delete. It refuses what the system's registry refuses (keys deeper than
// 512 levels, key names over 255 characters, value names over 16,383) when
// it reads the file, and applies the whole file in one store transaction:
// a file with a mistake anywhere, or a store that fails half-way, changes
// nothing.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/dospath.h"
#include "platform/file.h"
#include "platform/registry.h"
#include "tools/command.h"

namespace tools {
namespace {

using platform::HKey;
using platform::kHKeyLocalMachine;
using platform::Registry;
using platform::RegValue;

constexpr std::string_view kRootName = "HKEY_LOCAL_MACHINE";
constexpr std::size_t kHexLineWidth = 77;  // regedit's wrapping, roughly 80 columns
constexpr std::size_t kMaxKeyDepth = 512;   // levels below the root

// The store of the system, or a message saying why it cannot be used.
Registry* OpenStore() {
  Registry& reg = platform::SystemRegistry();
  std::string error = platform::SystemRegistryError();
  if (!error.empty()) {
    Fail(error);
    return nullptr;
  }
  return &reg;
}

// "HKEY_LOCAL_MACHINE\A\B", "HKLM\A\B" or "A\B" -> "A\B"; nullopt for
// another root.
std::optional<std::string> RelativeKey(std::string_view key) {
  auto strip = [&](std::string_view prefix) {
    if (key.size() >= prefix.size() && platform::EqualsNoCase(key.substr(0, prefix.size()), prefix) &&
        (key.size() == prefix.size() || key[prefix.size()] == '\\')) {
      key.remove_prefix(std::min(key.size(), prefix.size() + 1));
      return true;
    }
    return false;
  };
  if (strip(kRootName) || strip("HKLM")) return std::string(key);
  if (platform::EqualsNoCase(key.substr(0, 5), "HKEY_")) return std::nullopt;
  return std::string(key);
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string Hex(std::string head, const std::vector<std::uint8_t>& data) {
  std::string out;
  std::string line = std::move(head);
  for (std::size_t i = 0; i < data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", data[i]);
    line += byte;
    if (i + 1 < data.size()) {
      line += ',';
      if (line.size() >= kHexLineWidth) {
        out += line + "\\\n";
        line = "  ";
      }
    }
  }
  return out + line;
}

// A string value that "text" gives back exactly: printable text and one
// terminating zero.
bool PlainString(const RegValue& v) {
  if (v.type != platform::kRegSz || v.data.empty() || v.data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < v.data.size(); ++i) {
    if (v.data[i] < 0x20 || v.data[i] == 0x7f) return false;
  }
  return true;
}

std::string ValueLine(const std::string& name, const RegValue& v) {
  std::string line = name.empty() ? "@=" : Quote(name) + "=";
  if (PlainString(v)) {
    return line + Quote(std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1));
  }
  if (v.type == platform::kRegDword && v.data.size() == 4) {
    char buf[16];
    std::uint32_t d = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (std::uint32_t{v.data[3]} << 24);
    std::snprintf(buf, sizeof buf, "dword:%08x", d);
    return line + buf;
  }
  if (v.type == platform::kRegBinary) return Hex(line + "hex:", v.data);
  char type[16];
  std::snprintf(type, sizeof type, "hex(%x):", v.type);
  return Hex(line + type, v.data);
}

// Levels of a key path below the root ("" is the root itself).
std::size_t Depth(std::string_view relative) {
  if (relative.empty()) return 0;
  return static_cast<std::size_t>(std::count(relative.begin(), relative.end(), '\\')) + 1;
}

void WriteKey(Registry& reg, HKey key, const std::string& fullName, std::FILE* out) {
  std::string text = "[" + fullName + "]\n";
  std::string name;
  RegValue v;
  for (std::uint32_t i = 0; reg.EnumValue(key, i, name, v) == platform::kRegOk; ++i) {
    text += ValueLine(name, v) + "\n";
  }
  text += "\n";
  std::fwrite(text.data(), 1, text.size(), out);
}

// Writes key and every key below it, depth first in name order, as it goes.
// The walk keeps its own stack and the one path of the key it is at: a
// store may hold keys deeper than any call stack. Keys deeper than an
// import would take are left out and counted in skipped.
void ExportTree(Registry& reg, HKey top, std::string path, std::size_t topDepth, std::FILE* out,
                std::size_t& skipped) {
  struct Level {
    HKey key;
    std::uint32_t next;        // index of the next subkey to visit
    std::size_t pathLength;    // path's length at this key
  };
  WriteKey(reg, top, path, out);
  std::vector<Level> stack{{top, 0, path.size()}};
  while (!stack.empty()) {
    Level& level = stack.back();
    path.resize(level.pathLength);
    std::string name;
    if (reg.EnumKey(level.key, level.next++, name) != platform::kRegOk) {
      if (stack.size() > 1) reg.CloseKey(level.key);  // the top is the caller's
      stack.pop_back();
      continue;
    }
    if (topDepth + stack.size() > kMaxKeyDepth) {
      ++skipped;
      continue;
    }
    HKey sub = platform::kNoKey;
    if (reg.OpenKey(level.key, name, sub) != platform::kRegOk) continue;  // deleted meanwhile
    path += "\\" + name;
    WriteKey(reg, sub, path, out);
    stack.push_back({sub, 0, path.size()});
  }
}

int Export(const Args& a) {
  if (a.size() > 2) return UsageError("reg export takes at most one key");
  std::string relative;
  if (a.size() == 2) {
    auto r = RelativeKey(a[1]);
    if (!r) return Fail("only HKEY_LOCAL_MACHINE is kept in the store: " + a[1]);
    relative = *r;
  }
  Registry* reg = OpenStore();
  if (!reg) return 1;
  platform::ScopedKey key(*reg);
  platform::RegStatus s = reg->OpenKey(kHKeyLocalMachine, relative, key.handle());
  if (s == platform::kRegFileNotFound) return Fail("no such key: " + a[1]);
  if (s != platform::kRegOk) return Fail("cannot read the key: " + platform::RegErrorText(s));
  std::fputs("REGEDIT4\n\n", stdout);
  // One moment of the store, and one read lock for the whole walk.
  platform::RegSnapshot snapshot(*reg);
  std::size_t skipped = 0;
  ExportTree(*reg, key.get(),
             relative.empty() ? std::string(kRootName) : std::string(kRootName) + "\\" + relative,
             Depth(relative), stdout, skipped);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) return Fail("cannot write the output");
  if (skipped > 0) {
    return Fail(std::to_string(skipped) + " key(s) deeper than " + std::to_string(kMaxKeyDepth) +
                " levels left out; delete them or export a key nearer to them");
  }
  return 0;
}

// --- import ---------------------------------------------------------------------------

struct Op {
  enum Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue } kind;
  std::string key;  // relative to the root
  std::string name;
  RegValue value;
};

class Parser {
 public:
  Parser(std::string file, const std::string& text) : file_(std::move(file)) {
    // Editors that save UTF-8 may put a byte-order mark before REGEDIT4.
    std::size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines_.push_back(line);
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }

  bool Parse(std::vector<Op>& ops) {
    std::size_t i = 0;
    while (i < lines_.size() && Trim(lines_[i]).empty()) ++i;
    if (i == lines_.size() || (Trim(lines_[i]) != "REGEDIT4" &&
                               Trim(lines_[i]) != "Windows Registry Editor Version 5.00")) {
      return Error(i, "not a registry file (the first line must be REGEDIT4)");
    }
    std::optional<std::string> key;
    for (++i; i < lines_.size(); ++i) {
      std::string_view line = Trim(lines_[i]);
      if (line.empty() || line[0] == ';') continue;
      if (line[0] == '[') {
        if (line.back() != ']') return Error(i, "a key line must end with ]");
        std::string_view inner = line.substr(1, line.size() - 2);
        bool remove = !inner.empty() && inner[0] == '-';
        if (remove) inner.remove_prefix(1);
        auto rel = RelativeKey(inner);
        if (!rel) return Error(i, "only HKEY_LOCAL_MACHINE is kept in the store");
        if (!ValidKey(*rel)) return Error(i, "a bad key name (empty, or over 255 characters)");
        if (Depth(*rel) > kMaxKeyDepth) {
          return Error(i, "the key is deeper than " + std::to_string(kMaxKeyDepth) + " levels");
        }
        if (remove) {
          if (rel->empty()) return Error(i, "the root cannot be deleted");
          ops.push_back({Op::kDeleteKey, *rel, "", {}});
          key.reset();
        } else {
          ops.push_back({Op::kCreateKey, *rel, "", {}});
          key = *rel;
        }
        continue;
      }
      // A value; hex values may go on over lines that end in a backslash.
      std::string joined(line);
      while (!joined.empty() && joined.back() == '\\' && IsHexValue(joined) && i + 1 < lines_.size()) {
        joined.pop_back();
        joined += Trim(lines_[++i]);
      }
      if (!key) return Error(i, "a value before any key");
      Op op{Op::kSetValue, *key, "", {}};
      std::string_view rest = joined;
      if (rest[0] == '@') {
        rest.remove_prefix(1);
      } else if (rest[0] == '"') {
        if (!Unquote(rest, op.name)) return Error(i, "a value name must be quoted text");
        if (op.name.size() > platform::kMaxValueNameLength) {
          return Error(i, "the value name is longer than " +
                              std::to_string(platform::kMaxValueNameLength) + " characters");
        }
      } else {
        return Error(i, "expected [KEY], \"name\"=value or @=value");
      }
      rest = Trim(rest);
      if (rest.empty() || rest[0] != '=') return Error(i, "expected = after the value name");
      rest = Trim(rest.substr(1));
      if (rest == "-") {
        op.kind = Op::kDeleteValue;
      } else if (!rest.empty() && rest[0] == '"') {
        std::string text;
        if (!Unquote(rest, text) || !Trim(rest).empty()) return Error(i, "a string must be one quoted text");
        op.value.type = platform::kRegSz;
        op.value.data.assign(text.begin(), text.end());
        op.value.data.push_back(0);
      } else if (rest.substr(0, 6) == "dword:") {
        std::string digits(rest.substr(6));
        char* end = nullptr;
        unsigned long d = std::strtoul(digits.c_str(), &end, 16);
        if (digits.empty() || digits.size() > 8 || *end != '\0' || digits[0] == '-' || digits[0] == '+') {
          return Error(i, "dword: needs one to eight hexadecimal digits");
        }
        op.value.type = platform::kRegDword;
        for (int b = 0; b < 4; ++b) op.value.data.push_back(static_cast<std::uint8_t>(d >> (8 * b)));
      } else if (rest.substr(0, 3) == "hex") {
        if (!ParseHex(rest, op.value)) return Error(i, "hex values are two-digit bytes separated by commas");
      } else {
        return Error(i, "a value must be \"text\", dword:, hex: or -");
      }
      if (op.value.data.size() > platform::kMaxValueSize) return Error(i, "the value is too large");
      ops.push_back(std::move(op));
    }
    return true;
  }

 private:
  static std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
  }
  // A "name"=hex... or @=hex... line, blanks around the = allowed.
  static bool IsHexValue(std::string_view line) {
    std::string name;
    if (!line.empty() && line[0] == '@') {
      line.remove_prefix(1);
    } else if (line.empty() || line[0] != '"' || !Unquote(line, name)) {
      return false;
    }
    line = Trim(line);
    if (line.empty() || line[0] != '=') return false;
    return Trim(line.substr(1)).substr(0, 3) == "hex";
  }
  static bool ValidKey(const std::string& key) {
    if (key.empty()) return true;
    std::size_t start = 0;
    while (true) {
      std::size_t end = key.find('\\', start);
      std::size_t len = (end == std::string::npos ? key.size() : end) - start;
      if (len == 0 || len > platform::kMaxKeyNameLength) return false;
      if (end == std::string::npos) return true;
      start = end + 1;
    }
  }
  // Takes a quoted text with \\ and \" escapes off the front of rest.
  static bool Unquote(std::string_view& rest, std::string& out) {
    out.clear();
    for (std::size_t i = 1; i < rest.size(); ++i) {
      char c = rest[i];
      if (c == '\\' && i + 1 < rest.size()) {
        out += rest[++i];
      } else if (c == '"') {
        rest.remove_prefix(i + 1);
        return true;
      } else {
        out += c;
      }
    }
    return false;
  }
  static bool ParseHex(std::string_view rest, RegValue& v) {
    v.type = platform::kRegBinary;
    rest.remove_prefix(3);
    if (!rest.empty() && rest[0] == '(') {
      std::size_t close = rest.find(')');
      if (close == std::string_view::npos || close == 1 || close > 9) return false;
      std::string digits(rest.substr(1, close - 1));
      char* end = nullptr;
      unsigned long t = std::strtoul(digits.c_str(), &end, 16);
      if (*end != '\0') return false;
      v.type = static_cast<platform::RegType>(t);
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest[0] != ':') return false;
    rest.remove_prefix(1);
    v.data.clear();
    while (!rest.empty()) {
      std::size_t comma = rest.find(',');
      std::string_view item = Trim(rest.substr(0, comma));
      if (item.size() != 2 || !std::isxdigit(static_cast<unsigned char>(item[0])) ||
          !std::isxdigit(static_cast<unsigned char>(item[1]))) {
        return false;
      }
      v.data.push_back(static_cast<std::uint8_t>(std::strtoul(std::string(item).c_str(), nullptr, 16)));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
      if (Trim(rest).empty()) return false;  // a trailing comma
    }
    return true;
  }
  bool Error(std::size_t line, const std::string& message) {
    std::fprintf(stderr, "tandrix: %s:%zu: %s\n", file_.c_str(), line + 1, message.c_str());
    return false;
  }

  std::string file_;
  std::vector<std::string> lines_;
};

int Import(const Args& a) {
  if (a.size() != 2) return UsageError("reg import needs one FILE");
  std::string text;
  if (!platform::ReadWholeFile(a[1], text)) return Fail("cannot read " + a[1]);
  if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xff &&
      static_cast<unsigned char>(text[1]) == 0xfe) {
    return Fail(a[1] + ": a UTF-16 file; save it as REGEDIT4 text");
  }
  std::vector<Op> ops;
  Parser parser(a[1], text);
  if (!parser.Parse(ops)) return 1;

  Registry* reg = OpenStore();
  if (!reg) return 1;
  // One transaction: a failure anywhere leaves the store as it was.
  platform::RegTransaction whole(*reg);
  if (whole.status() != platform::kRegOk) {
    return Fail("cannot write the registry store " + platform::DefaultRegistryPath() + ": " +
                platform::RegErrorText(whole.status()) + "; nothing was changed");
  }
  for (const Op& op : ops) {
    platform::ScopedKey key(*reg);
    platform::RegStatus s = platform::kRegOk;
    switch (op.kind) {
      case Op::kCreateKey:
        s = reg->CreateKey(kHKeyLocalMachine, op.key, key.handle());
        break;
      case Op::kDeleteKey:
        s = reg->DeleteKey(kHKeyLocalMachine, op.key);
        if (s == platform::kRegFileNotFound) s = platform::kRegOk;
        break;
      case Op::kSetValue:
        s = reg->CreateKey(kHKeyLocalMachine, op.key, key.handle());
        if (s == platform::kRegOk) {
          s = reg->SetValueEx(key.get(), op.name, op.value.type, op.value.data.data(),
                              static_cast<std::uint32_t>(op.value.data.size()));
        }
        break;
      case Op::kDeleteValue:
        s = reg->CreateKey(kHKeyLocalMachine, op.key, key.handle());
        if (s == platform::kRegOk) s = reg->DeleteValue(key.get(), op.name);
        if (s == platform::kRegFileNotFound) s = platform::kRegOk;
        break;
    }
    if (s != platform::kRegOk) {
      return Fail("cannot write " + std::string(kRootName) + (op.key.empty() ? "" : "\\") + op.key +
                  (op.name.empty() ? "" : " \"" + op.name + "\"") + ": " + platform::RegErrorText(s) +
                  "; nothing was changed");
    }
  }
  if (platform::RegStatus s = whole.Commit(); s != platform::kRegOk) {
    return Fail("cannot write the registry store: " + platform::RegErrorText(s) + "; nothing was changed");
  }
  reg->FlushKey(kHKeyLocalMachine);
  return 0;
}

int Reg(const Args& a) {
  if (a.empty()) return UsageError("reg needs export or import");
  if (a[0] == "export") return Export(a);
  if (a[0] == "import") return Import(a);
  return UsageError("reg needs export or import, not " + a[0]);
}

const Command kReg(
    "reg", "reg export [KEY] | import FILE", Reg,
    "The registry store (the joystick settings the driver reads) as REGEDIT4 text.\n"
    "\n"
    "  export [KEY]  prints the whole store, or KEY (HKEY_LOCAL_MACHINE\\... or a\n"
    "                path below it) with its subkeys, as regedit writes it\n"
    "  import FILE   applies a REGEDIT4 file: its keys and values are set, \"[-KEY]\"\n"
    "                deletes a key and \"name\"=- a value; a file with a mistake\n"
    "                anywhere changes nothing\n"
    "\n"
    "The store is the one \"tandrix status\" names: TANDRIX_REGISTRY, else the one\n"
    "the current product folder records, else ~/.config/tandrix/registry.db.\n");

}  // namespace
}  // namespace tools
