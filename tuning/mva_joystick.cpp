#include "tuning/mva_joystick.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/dospath.h"
#include "platform/joystick.h"
#include "platform/registry.h"
#include "tuning/mva_device.h"
#include "tuning/mva_scan.h"

namespace {

using platform::HKey;
using platform::kHKeyLocalMachine;
using platform::Registry;
using platform::RegStatus;
using platform::RegValue;
using platform::ScopedKey;

// How far an operation got in reaching its key and writing its value.
// kNotInstalled: the joystick keys the system installer makes are not there
// (or the joystick service does not answer), so there is nothing to tune.
enum class Outcome { kOk, kNotInstalled, kNoValue, kFailed };

enum class Where { kDevice, kCurrentSettings };

// The store's status behind the last kFailed, for a caller that wants to
// say why (the library runs on one thread, as its OEM buffer does).
RegStatus g_storeFailure = platform::kRegOk;

Outcome StoreFailed(RegStatus s) {
  g_storeFailure = s;
  return Outcome::kFailed;
}

Outcome FromStatus(RegStatus s) {
  if (s == platform::kRegOk) return Outcome::kOk;
  return s == platform::kRegFileNotFound ? Outcome::kNotInstalled : StoreFailed(s);
}

void Put32(std::uint8_t* p, std::int32_t v) {
  auto u = static_cast<std::uint32_t>(v);
  p[0] = static_cast<std::uint8_t>(u);
  p[1] = static_cast<std::uint8_t>(u >> 8);
  p[2] = static_cast<std::uint8_t>(u >> 16);
  p[3] = static_cast<std::uint8_t>(u >> 24);
}

std::string SlotName(std::string_view prefix, int slot, std::string_view suffix) {
  std::string name(prefix);
  name += std::to_string(slot);
  name += suffix;
  return name;
}

// The text of a string value: its bytes up to the first zero.
std::string TextOf(const RegValue& v) {
  std::size_t n = 0;
  while (n < v.data.size() && v.data[n] != 0) ++n;
  return std::string(v.data.begin(), v.data.begin() + static_cast<std::ptrdiff_t>(n));
}

bool ValidJoyId(int joyId) { return joyId >= 0 && joyId < kMvaJoystickSlots; }

// The driver key: the joystick root and below it the key the joystick
// service names for its driver.
Outcome OpenDriverKey(Registry& reg, ScopedKey& driverKey) {
  std::string name;
  if (platform::SystemJoystickService().GetDevCaps(platform::kJoyIdAll, platform::kJoyCapsSize,
                                                   name) != platform::kJoyErrNoError ||
      name.empty()) {
    return Outcome::kNotInstalled;
  }
  ScopedKey root(reg);
  if (Outcome o = FromStatus(reg.OpenKey(kHKeyLocalMachine, kMvaJoystickRoot, root.handle()));
      o != Outcome::kOk) {
    return o;
  }
  return FromStatus(reg.OpenKey(root.get(), name, driverKey.handle()));
}

// The device key (created when create is set) or the current settings key
// (which must exist).
Outcome ReachKey(Registry& reg, Where where, bool create, ScopedKey& key) {
  ScopedKey driver(reg);
  if (Outcome o = OpenDriverKey(reg, driver); o != Outcome::kOk) return o;
  if (where == Where::kCurrentSettings) {
    return FromStatus(reg.OpenKey(driver.get(), kMvaCurrentSettingsSubkey, key.handle()));
  }
  return FromStatus(create ? reg.CreateKey(driver.get(), kMvaDeviceSubkey, key.handle())
                           : reg.OpenKey(driver.get(), kMvaDeviceSubkey, key.handle()));
}

// Writes one value on a freshly reached key, then closes the key and makes
// the write durable.
Outcome WriteValue(Where where, const std::string& name, platform::RegType type,
                   const std::uint8_t* data, std::size_t size) {
  Registry& reg = platform::SystemRegistry();
  ScopedKey key(reg);
  if (Outcome o = ReachKey(reg, where, true, key); o != Outcome::kOk) return o;
  if (RegStatus s = reg.SetValueEx(key.get(), name, type, data, static_cast<std::uint32_t>(size));
      s != platform::kRegOk) {
    return StoreFailed(s);
  }
  key.Close();
  reg.FlushKey(kHKeyLocalMachine);
  return Outcome::kOk;
}

Outcome WriteString(Where where, const std::string& name, std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);  // strings are stored whole, with their terminating zero
  return WriteValue(where, name, platform::kRegSz, bytes.data(), bytes.size());
}

template <std::size_t N>
Outcome WriteBinary(Where where, const std::string& name, const std::array<std::uint8_t, N>& bytes) {
  return WriteValue(where, name, platform::kRegBinary, bytes.data(), N);
}

// The joystick service's configuration of a slot, under either key. The
// whole record is always written: a shorter old value must not cut the new
// one, and a longer one must not make us write past the record.
Outcome WriteHwConfig(Where where, int slot) {
  return WriteBinary(where, SlotName("Joystick", slot, "Configuration"), MVA_JoyHwConfigBytes());
}

// Runs writes as one store transaction: another program sees all of them
// or none. The first failure ends them and undoes what they wrote.
template <typename Writes>
Outcome AsOneWhole(Writes writes) {
  platform::RegTransaction group(platform::SystemRegistry());
  if (group.status() != platform::kRegOk) return StoreFailed(group.status());
  Outcome o = writes();
  if (o == Outcome::kFailed) return o;
  if (RegStatus s = group.Commit(); s != platform::kRegOk) return StoreFailed(s);
  return o;
}

// Binds a slot to the driver under the current settings key, stopping at
// the first write that fails.
Outcome BindSlot(int slot) {
  return AsOneWhole([slot] {
    Outcome o = WriteHwConfig(Where::kCurrentSettings, slot);
    if (o == Outcome::kOk) {
      o = WriteString(Where::kCurrentSettings, SlotName("Joystick", slot, "OEMName"), kMvaOemName);
    }
    if (o == Outcome::kOk) {
      o = WriteString(Where::kCurrentSettings, SlotName("Joystick", slot, "OEMCallout"), kMvaDriverName);
    }
    return o;
  });
}

// --- the OEM configuration --------------------------------------------------------------

using OemBytes = std::array<std::uint8_t, kMvaOemConfigurationSize>;

const OemBytes& InitialOem() {
  static const OemBytes initial = MVA_OemConfigurationBytes(MVA_OemConfiguration{});
  return initial;
}

OemBytes g_oem = InitialOem();

// Reads a slot's value into buf. A value shorter than the record leaves the
// initial contents in the part it does not cover (never another slot's
// bytes); got is the number of bytes the value had. A value longer than the
// record is not one we know how to rewrite and counts as missing.
Outcome ReadOem(Registry& reg, HKey deviceKey, int slot, OemBytes& buf, std::uint32_t& got) {
  buf = InitialOem();
  std::uint32_t size = kMvaOemConfigurationSize;
  RegStatus s = reg.QueryValueEx(deviceKey, SlotName("Joystick", slot, "OEMConfiguration"), nullptr,
                                 buf.data(), &size);
  if (s == platform::kRegFileNotFound || s == platform::kRegMoreData) return Outcome::kNoValue;
  if (s != platform::kRegOk) return StoreFailed(s);
  got = size;
  g_oem = buf;
  return Outcome::kOk;
}

Outcome ReadOemOfSlot(int joyId, OemBytes& buf, std::uint32_t& got) {
  if (!ValidJoyId(joyId)) return Outcome::kNoValue;
  Registry& reg = platform::SystemRegistry();
  ScopedKey key(reg);
  if (Outcome o = ReachKey(reg, Where::kDevice, false, key); o != Outcome::kOk) return o;
  return ReadOem(reg, key.get(), joyId + 1, buf, got);
}

// Puts field (with its terminating zero) at offset of the slot's value.
Outcome UpdateOem(int joyId, std::size_t offset, std::string_view field) {
  if (!ValidJoyId(joyId)) return Outcome::kNoValue;
  const int slot = joyId + 1;
  Registry& reg = platform::SystemRegistry();
  ScopedKey key(reg);
  if (Outcome o = ReachKey(reg, Where::kDevice, false, key); o != Outcome::kOk) return o;
  OemBytes buf;
  std::uint32_t got = 0;
  if (Outcome o = ReadOem(reg, key.get(), slot, buf, got); o != Outcome::kOk) return o;
  // The whole field is rewritten, so no letter of a longer old text is
  // left behind its zero.
  const std::size_t width =
      offset == kMvaOemComPortOffset ? kMvaOemAxisMapOffset - offset : kMvaOemConfigurationSize - offset;
  std::memset(buf.data() + offset, 0, width);
  std::memcpy(buf.data() + offset, field.data(), std::min(field.size(), width - 1));
  g_oem = buf;
  if (RegStatus s = reg.SetBinary(key.get(), SlotName("Joystick", slot, "OEMConfiguration"),
                                  buf.data(), buf.size());
      s != platform::kRegOk) {
    return StoreFailed(s);
  }
  key.Close();
  reg.FlushKey(kHKeyLocalMachine);
  return Outcome::kOk;
}

// The zero-terminated text of a field that starts at offset and may run to
// end, provided the zero lies within the bytes the value really had.
bool FieldText(const OemBytes& buf, std::uint32_t got, std::size_t offset, std::size_t end,
               std::string& text) {
  const std::size_t limit = std::min<std::size_t>(end, got);
  for (std::size_t i = offset; i < limit; ++i) {
    if (buf[i] == 0) {
      text.assign(reinterpret_cast<const char*>(buf.data() + offset), i - offset);
      return true;
    }
  }
  return false;
}

// --- the private key ---------------------------------------------------------------------

Outcome ReachPrivateKey(Registry& reg, ScopedKey& key) {
  ScopedKey oem(reg);
  if (Outcome o = FromStatus(reg.OpenKey(kHKeyLocalMachine, kMvaPrivateRoot, oem.handle()));
      o != Outcome::kOk) {
    return o;
  }
  return FromStatus(reg.CreateKey(oem.get(), kMvaPrivateSubkey, key.handle()));
}

int GetPrivate(std::string_view name, std::string& buffer, std::size_t size) {
  Registry& reg = platform::SystemRegistry();
  ScopedKey key(reg);
  if (ReachPrivateKey(reg, key) != Outcome::kOk) return -1;
  RegValue v;
  if (reg.QueryValue(key.get(), name, v) != platform::kRegOk) return -1;
  std::string text = TextOf(v);
  if (text.size() >= size) return -1;
  buffer = std::move(text);
  return 0;
}

int SetPrivate(std::string_view name, std::string_view text) {
  Registry& reg = platform::SystemRegistry();
  ScopedKey key(reg);
  if (ReachPrivateKey(reg, key) != Outcome::kOk) return -1;
  if (reg.SetString(key.get(), name, text) != platform::kRegOk) return -1;
  key.Close();
  reg.FlushKey(kHKeyLocalMachine);
  return 0;
}

// --- paths ------------------------------------------------------------------------------

// The full DOS path of a file name, as the original platform's
// GetFullPathName makes it: relative names start at the current directory,
// "\x" at the root of its drive, "." and ".." are folded. A name starting
// with '/' is a host path.
std::string FullPathName(std::string_view path) {
  if (!path.empty() && path[0] == '/') return platform::ToDosPath(path);
  auto isSep = [](char c) { return c == '\\' || c == '/'; };
  const std::string cwd = platform::CurrentDirectory();
  char drive = cwd.empty() ? 'Z' : cwd[0];
  std::string_view rest = path;
  std::string_view base = cwd.size() > 2 ? std::string_view(cwd).substr(2) : std::string_view();
  if (path.size() >= 2 && path[1] == ':') {
    char d = platform::ToUpperAscii(path.substr(0, 1))[0];
    rest = path.substr(2);
    if ((!rest.empty() && isSep(rest[0])) || d != platform::ToUpperAscii(std::string(1, drive))[0]) {
      base = {};
    }
    drive = d;
  } else if (!path.empty() && isSep(path[0])) {
    base = {};
  }
  std::vector<std::string> parts;
  auto add = [&](std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
      while (i < s.size() && isSep(s[i])) ++i;
      std::size_t start = i;
      while (i < s.size() && !isSep(s[i])) ++i;
      std::string_view c = s.substr(start, i - start);
      if (c.empty() || c == ".") continue;
      if (c == "..") {
        if (!parts.empty()) parts.pop_back();
        continue;
      }
      parts.emplace_back(c);
    }
  };
  add(base);
  add(rest);
  std::string out(1, drive);
  out += ':';
  if (parts.empty()) return out + "\\";
  for (const auto& p : parts) out += "\\" + p;
  return out;
}

enum class Applied { kOk, kBadFile, kLongPath, kStoreFailed };

// The tuning values of a file for slot joyId + 1, written as one whole so
// that no program ever sees the values of two configurations mixed.
Applied Apply(MVA_DriverCfg& driverCfg, std::string_view path, int joyId) {
  if (!ValidJoyId(joyId)) return Applied::kBadFile;
  if (MVA_ReadDriverCfg(driverCfg, 0, path) != 0) return Applied::kBadFile;
  const int slot = joyId + 1;

  // A longer name than the driver's buffer holds would reach it cut short.
  std::string file = path.empty() ? std::string(kMvaNoFile) : FullPathName(path);
  // Named as the file system spells it (Joy2D.vcg, not the Joy2d.vcg a
  // game list may give): the name is shown and compared elsewhere.
  if (auto host = platform::ToHostPath(file); host && !path.empty()) {
    if (std::string onDisk = platform::ToDosPath(*host); platform::EqualsNoCase(onDisk, file)) {
      file = std::move(onDisk);
    }
  }
  if (file.size() > kMvaMaxCfgPath) return Applied::kLongPath;

  if (!MVA_IsValidAxisMap(driverCfg.axisMap)) driverCfg.axisMap = std::string(kMvaDefaultAxisMap);
  std::array<MVA_AxisTable, 8> tables;
  for (int axis = 0; axis < 8; ++axis) tables[static_cast<std::size_t>(axis)] = MVA_MakeAxisTable(driverCfg, axis);
  const std::string filter(1, static_cast<char>('0' + (driverCfg.hpfm & 7)));

  // Joystick keys that are not there leave nothing to write; the slot
  // lookup after this reports that. A write that fails on keys that are
  // there means the values are not live, which the caller must hear.
  const Outcome o = AsOneWhole([&] {
    auto failed = [](Outcome w) { return w == Outcome::kFailed; };
    if (failed(WriteString(Where::kDevice, SlotName("Joy", slot, "ConfigurationFile"), file))) {
      return Outcome::kFailed;
    }
    for (int id = 0; id < kMvaJoystickSlots; ++id) {
      if (failed(UpdateOem(id, kMvaOemAxisMapOffset, driverCfg.axisMap))) return Outcome::kFailed;
    }
    if (failed(WriteString(Where::kDevice, SlotName("Joystick", slot, "Filter"), filter)) ||
        failed(WriteString(Where::kDevice, SlotName("Joystick", slot, "OEMcfgMode"), "DRV"))) {
      return Outcome::kFailed;
    }
    for (int axis = 0; axis < 8; ++axis) {
      std::string name = SlotName("Joystick", slot, "OEM");
      name += kMvaAxisLetters[static_cast<std::size_t>(axis)];
      name += "Axis";
      if (failed(WriteBinary(Where::kDevice, name,
                             MVA_AxisTableBytes(tables[static_cast<std::size_t>(axis)])))) {
        return Outcome::kFailed;
      }
    }
    if (failed(WriteBinary(Where::kDevice, SlotName("Joystick", slot, "Sensitivity"),
                           MVA_SensitivityBytes(MVA_MakeSensitivity(driverCfg))))) {
      return Outcome::kFailed;
    }
    return Outcome::kOk;
  });
  return o == Outcome::kFailed ? Applied::kStoreFailed : Applied::kOk;
}

// The first slot bound to the driver: kOk, kNotInstalled when none is (or
// the keys are not there), kFailed when the store could not be read.
Outcome FindSlot(int& joyId) {
  joyId = -1;
  Registry& reg = platform::SystemRegistry();
  ScopedKey key(reg);
  if (Outcome o = ReachKey(reg, Where::kCurrentSettings, false, key); o != Outcome::kOk) return o;
  for (int slot = 1; slot <= kMvaJoystickSlots; ++slot) {
    RegValue v;
    RegStatus s = reg.QueryValue(key.get(), SlotName("Joystick", slot, "OEMCallout"), v);
    if (s == platform::kRegFileNotFound) continue;
    if (s != platform::kRegOk) return StoreFailed(s);
    if (TextOf(v) == kMvaDriverName) {
      joyId = slot - 1;
      return Outcome::kOk;
    }
  }
  return Outcome::kNotInstalled;
}

}  // namespace

// --- layouts ----------------------------------------------------------------------------------

std::array<std::uint8_t, kMvaOemConfigurationSize> MVA_OemConfigurationBytes(
    const MVA_OemConfiguration& cfg) {
  std::array<std::uint8_t, kMvaOemConfigurationSize> b{};
  for (std::size_t i = 0; i < 4; ++i) Put32(b.data() + 4 * i, cfg.driverData[i]);
  std::memcpy(b.data() + kMvaOemComPortOffset, cfg.comPort.data(), std::min<std::size_t>(cfg.comPort.size(), 4));
  std::memcpy(b.data() + kMvaOemAxisMapOffset, cfg.axisMap.data(), std::min<std::size_t>(cfg.axisMap.size(), 6));
  return b;
}

std::array<std::uint8_t, kMvaAxisTableSize> MVA_AxisTableBytes(const MVA_AxisTable& table) {
  std::array<std::uint8_t, kMvaAxisTableSize> b{};
  Put32(b.data(), table.segmentCount);
  for (std::size_t c = 0; c < 4; ++c) {
    for (std::size_t i = 0; i < static_cast<std::size_t>(kMvaTableSegments); ++i) {
      Put32(b.data() + 4 + 4 * (c * kMvaTableSegments + i), table.column[c][i]);
    }
  }
  return b;
}

std::array<std::uint8_t, kMvaSensitivitySize> MVA_SensitivityBytes(
    const std::array<std::int32_t, 7>& factors) {
  std::array<std::uint8_t, kMvaSensitivitySize> b{};
  for (std::size_t i = 0; i < 7; ++i) Put32(b.data() + 4 * i, factors[i]);
  return b;
}

std::array<std::uint8_t, kMvaJoyHwConfigSize> MVA_JoyHwConfigBytes() {
  std::array<std::uint8_t, kMvaJoyHwConfigSize> b{};
  Put32(b.data() + 0, 0x1880001);  // has Z, R, U and V
  Put32(b.data() + 4, 7);          // buttons
  Put32(b.data() + 8, 6);          // present, OEM
  for (int axis = 0; axis < 6; ++axis) {
    Put32(b.data() + 12 + 4 * axis, 0);      // hardware minimum
    Put32(b.data() + 36 + 4 * axis, 65535);  // hardware maximum
    Put32(b.data() + 60 + 4 * axis, 32767);  // centre
  }
  // 84 .. 99: the four point-of-view values stay 0.
  Put32(b.data() + 100, 31);    // X/Y, Z, R, U and V calibrated
  Put32(b.data() + 104, 1000);  // hardware type
  return b;
}

const std::array<std::uint8_t, kMvaOemConfigurationSize>& MVA_OemConfigurationBuffer() { return g_oem; }

// --- operations -------------------------------------------------------------------------

static int ActivateCfgFileBody(std::string_view path, MVA_ActivateError* why) {
  MVA_ActivateError error;
  auto fail = [&](int result, MVA_ActivateError::Kind kind) {
    error.kind = kind;
    error.storeStatus = kind == MVA_ActivateError::kStore ? g_storeFailure : platform::kRegOk;
    if (why != nullptr) *why = error;
    return result;
  };
  if (why != nullptr) *why = error;
  MVA_DriverCfg cfg;
  const Applied applied = Apply(cfg, path, 0);
  MVA_FreeDriverCfg(cfg);
  if (applied == Applied::kBadFile) return fail(-1, MVA_ActivateError::kFile);
  if (applied == Applied::kLongPath) return fail(-1, MVA_ActivateError::kLongPath);
  if (applied == Applied::kStoreFailed) return fail(-1, MVA_ActivateError::kStore);

  int joyId = -1;
  if (Outcome o = FindSlot(joyId); o != Outcome::kOk) {
    return o == Outcome::kFailed ? fail(-1, MVA_ActivateError::kStore)
                                 : fail(-2, MVA_ActivateError::kNoSlot);
  }
  const int slot = joyId + 1;
  platform::JoystickService& service = platform::SystemJoystickService();

  // The tuning is committed by now: the driver reads it when told.
  MVA_OpenDriver();  // a missing driver still gets its registry values
  bool ok = WriteHwConfig(Where::kDevice, slot) == Outcome::kOk;
  service.ConfigChanged(0);
  ok = BindSlot(slot) == Outcome::kOk && ok;
  service.ConfigChanged(0);
  ok = WriteHwConfig(Where::kCurrentSettings, slot) == Outcome::kOk && ok;
  service.ConfigChanged(0);
  MVA_CloseDriver();
  return ok ? 0 : fail(-1, MVA_ActivateError::kStore);
}

static int ApplyCfgFileBody(MVA_DriverCfg& driverCfg, std::string_view path, int joyId) {
  return Apply(driverCfg, path, joyId) == Applied::kOk ? 0 : 1;
}

int MVA_FindJoystickId(int& joyId) { return FindSlot(joyId) == Outcome::kOk ? 0 : -1; }

int MVA_SetupJoystick(int joyId, int comPort, std::string_view axisMap) {
  MVA_OpenDriver();
  if (ValidJoyId(joyId)) BindSlot(joyId + 1);
  MVA_SetComPort(joyId, comPort);
  MVA_SetAxisMap(joyId, axisMap);
  MVA_CloseDriver();
  return 0;
}

int MVA_SetComPort(int joyId, int port) {
  if (port < 1 || port > 6) return 0;
  const std::string text = "COM" + std::to_string(port);
  return UpdateOem(joyId, kMvaOemComPortOffset, text) == Outcome::kOk ? 1 : 0;
}

int MVA_GetComPort(int joyId, int& port) {
  OemBytes buf;
  std::uint32_t got = 0;
  if (ReadOemOfSlot(joyId, buf, got) != Outcome::kOk) return 0;
  std::string text;
  if (!FieldText(buf, got, kMvaOemComPortOffset, kMvaOemAxisMapOffset, text)) return 0;
  if (text.size() == 4 && text.compare(0, 3, "COM") == 0 && text[3] >= '1' && text[3] <= '6') {
    port = text[3] - '0';
  }
  return 1;
}

int MVA_SetAxisMap(int joyId, std::string_view map) {
  // The field holds six letters and a zero; a longer map would run past
  // the record.
  if (map.size() > kMvaMapLength || map.find('\0') != std::string_view::npos) return 0;
  return UpdateOem(joyId, kMvaOemAxisMapOffset, map) == Outcome::kOk ? 1 : 0;
}

int MVA_GetAxisMap(int joyId, std::string& map) {
  OemBytes buf;
  std::uint32_t got = 0;
  if (ReadOemOfSlot(joyId, buf, got) != Outcome::kOk) return 0;
  std::string text;
  if (!FieldText(buf, got, kMvaOemAxisMapOffset, kMvaOemConfigurationSize, text)) return 0;
  map = std::move(text);
  return 1;
}

int MVA_GetDosInstallDirectory(std::string& buffer, std::size_t size) {
  return GetPrivate("DosInstallDirectory", buffer, size);
}
int MVA_GetOrientation(std::string& buffer, std::size_t size) {
  return GetPrivate("TandrixOrientation", buffer, size);
}
int MVA_GetLevel(std::string& buffer, std::size_t size) { return GetPrivate("TandrixLevel", buffer, size); }
int MVA_SetOrientation(std::string_view text) { return SetPrivate("TandrixOrientation", text); }
int MVA_SetLevel(std::string_view text) { return SetPrivate("TandrixLevel", text); }

int MVA_ActivateCfgFile(std::string_view path) { return MVA_ActivateCfgFile(path, nullptr); }

int MVA_ActivateCfgFile(std::string_view path, MVA_ActivateError* why) {
  return mva_detail::NoThrow(-1, [&] { return ActivateCfgFileBody(path, why); });
}

int MVA_ApplyCfgFile(MVA_DriverCfg& driverCfg, std::string_view path, int joyId) {
  return mva_detail::NoThrow(1, [&] { return ApplyCfgFileBody(driverCfg, path, joyId); });
}
