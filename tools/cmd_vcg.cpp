// tandrix vcg rewrite|show|driver: inspect and rewrite configuration files.
#include <cstdio>
#include <string>

#include "platform/file.h"
#include "tools/command.h"
#include "tuning/mva_config.h"
#include "tuning/mva_driver_view.h"

namespace tools {

int VcgActivate(const Args& a);  // cmd_vcg_activate.cpp

namespace {

constexpr std::array<const char*, 3> kLevelNames = {"Basic", "Full Freedom", "Champion"};
constexpr std::array<const char*, 3> kLevelKeys = {"BEG", "INT", "EXP"};
constexpr const char* kJoystickAxes = "XYZRUV";

std::string Blanks(std::string name) {
  for (char& c : name) {
    if (c == '_') c = ' ';
  }
  return name;
}

std::string FilterText(int32_t mask) {
  std::string text;
  if (mask & kMvaFilterAxis) text += "axis ";
  if (mask & kMvaFilterTranslation) text += "translation ";
  if (mask & kMvaFilterRotation) text += "rotation ";
  if (text.empty()) return "none";
  text.pop_back();
  return text;
}

// "X<-RZ  Y<-rx ..." : which device axis drives each joystick axis, lower
// case when reversed.
std::string MapText(const std::string& map) {
  MVA_UserAxisMap user = MVA_AxisMapToUser(map);
  std::array<bool, 6> named{};
  for (std::size_t p = 0; p < map.size() && p < kMvaMapLength; ++p) {
    std::size_t j = kMvaMapLetters.find(map[p]);
    if (j != std::string_view::npos) named[j / 2] = true;
  }
  std::string text;
  for (int k = 0; k < 6; ++k) {
    if (k) text += "  ";
    text += kJoystickAxes[k];
    text += "<-";
    std::string axis = named[k] ? std::string(kMvaAxisNames[user.source[k]]) : "--";
    if (named[k] && user.reversed[k]) {
      for (char& c : axis) c = static_cast<char>(c - 'A' + 'a');
    }
    text += axis;
  }
  return text;
}

std::string ButtonText(const MVA_CfgRecord& r, const MVA_ButtonMap& map) {
  std::string text;
  for (int32_t index : map.indices) {
    if (index < 0 || index >= r.buttonMaskCount()) continue;
    if (!text.empty()) text += ", ";
    text += Blanks(r.buttonMasks[static_cast<std::size_t>(index)].name);
  }
  return text.empty() ? "(none)" : text;
}

// "cannot read F: not a regular file (-2)": when the file could not be
// opened, why; a FIFO or a 2 GB file is not a broken configuration.
int ReadFailure(const std::string& path, int rc) {
  std::string why;
  platform::FileError error = platform::LastFileError();
  if (error != platform::FileError::None) why = std::string(": ") + platform::FileErrorText(error);
  return Fail("cannot read " + path + why + " (" + std::to_string(rc) + ")");
}

int Rewrite(const Args& a) {
  if (a.empty() || a.size() > 2) return UsageError("vcg rewrite needs IN [OUT]");
  const std::string& in = a[0];
  const std::string& out = a.size() == 2 ? a[1] : a[0];
  MVA_CfgRecord record;
  platform::SetLastFileError(platform::FileError::None);
  int rc = MVA_ReadCfgFile(record, 0, in);
  if (rc != 0) return ReadFailure(in, rc);
  rc = MVA_WriteCfgFile(record, out);
  if (rc != 0) return Fail("cannot write " + out + " (" + std::to_string(rc) + ")");
  return 0;
}

int Show(const Args& a) {
  if (a.size() != 1) return UsageError("vcg show needs FILE");
  MVA_CfgRecord r;
  platform::SetLastFileError(platform::FileError::None);
  int rc = MVA_ReadCfgFile(r, 0, a[0]);
  if (rc != 0) return ReadFailure(a[0], rc);

  std::printf("File:         %s\n", a[0].c_str());
  std::printf("Version:      %d.%d\n", r.versionMajor, r.versionMinor);
  std::printf("Application:  %s\n", r.applicationName.empty() ? "(none)" : r.applicationName.c_str());
  std::printf("Owner:        %s\n", std::string(MVA_TokenName(kMvaOwnerTokens, r.owner)).c_str());
  std::printf("Type:         %s\n", std::string(MVA_TokenName(kMvaTypeTokens, r.type)).c_str());
  std::printf("Level:        %s (%s)\n", std::string(MVA_TokenName(kMvaLevelTokens, r.level)).c_str(),
              kLevelNames[static_cast<std::size_t>(r.level) % 3]);
  std::printf("Orientation:  %s\n",
              std::string(MVA_TokenName(kMvaOrientationTokens, r.orientation)).c_str());

  std::printf("\nAxis labels:\n");
  for (int ax = 0; ax < kMvaAxes; ++ax) {
    if (r.axisLabels[ax].empty()) continue;
    std::printf("  %s  %s\n", std::string(kMvaAxisNames[ax]).c_str(), r.axisLabels[ax].c_str());
  }

  std::printf("\nUser axis maps (joystick axis <- device axis, lower case reversed):\n");
  const int inUse = r.orientation == MVA_VERTICAL   ? MVA_MAP_VRT_USER
                    : r.orientation == MVA_ADVANCED ? MVA_MAP_ADV_USER
                                                    : MVA_MAP_HRZ_USER;
  for (int m = MVA_MAP_HRZ_USER; m <= MVA_MAP_ADV_USER; ++m) {
    const std::string& map = r.axisMaps[static_cast<std::size_t>(m)];
    std::printf("  %-17s %-6s %s%s\n", std::string(kMvaAxisMapKeys[m]).c_str(),
                map.empty() ? "(none)" : map.c_str(), map.empty() ? "" : MapText(map).c_str(),
                m == inUse ? "  (in use)" : "");
  }

  std::printf("\nSensitivities      TX    TY    TZ    RX    RY    RZ  Master\n");
  for (std::size_t s = 0; s < kMvaSensKeys.size(); ++s) {
    std::printf("  %-14s", std::string(kMvaSensKeys[s]).c_str());
    for (float f : r.sens[s]) std::printf(" %5.2f", f);
    bool current = s >= 3 && static_cast<int>(s - 3) == r.level;
    std::printf("%s\n", current ? "  (in use)" : "");
  }

  std::printf("\nFilters:\n");
  for (int h = 0; h < 3; ++h) {
    std::printf("  %s  %s\n", kLevelKeys[h], FilterText(r.hpfm[h]).c_str());
  }

  std::printf("\nButtons (user, then game default):\n");
  for (int b = 0; b < kMvaButtons; ++b) {
    std::printf("  %c  %-24s %s\n", 'A' + b, ButtonText(r, r.buttonMapsUser[b]).c_str(),
                ButtonText(r, r.buttonMapsDflt[b]).c_str());
  }

  bool anyFunction = false;
  for (int f = 0; f < kMvaFunctions; ++f) {
    const MVA_FunctionMask& fm = r.functionMasks[f];
    if (!fm.present || fm.maskIndex >= r.buttonMaskCount()) continue;
    if (!anyFunction) std::printf("\nFunctions on axes:\n");
    anyFunction = true;
    std::printf("  %-4s  %s\n", std::string(kMvaFunctionKeys[f]).c_str(),
                Blanks(r.buttonMasks[static_cast<std::size_t>(fm.maskIndex)].name).c_str());
  }
  return 0;
}

int Driver(const Args& a) {
  if (a.size() != 1) return UsageError("vcg driver needs FILE");
  MVA_DriverCfg cfg;
  platform::SetLastFileError(platform::FileError::None);
  if (int rc = MVA_ReadDriverCfg(cfg, 0, a[0]); rc != 0) return ReadFailure(a[0], rc);

  std::printf("Level:        %d\n", cfg.level);
  std::printf("Orientation:  %d\n", cfg.orientation);
  std::printf("Axis map:     %s\n", cfg.axisMap.empty() ? "(none)" : cfg.axisMap.c_str());
  std::printf("Filter mask:  %d (%s)\n", cfg.hpfm, FilterText(cfg.hpfm).c_str());
  auto fixed = MVA_MakeSensitivity(cfg);
  std::printf("Sensitivity: ");
  for (std::size_t i = 0; i < fixed.size(); ++i) std::printf(" %d", fixed[i]);
  std::printf("\n");
  for (int axis = 0; axis < kMvaCurves; ++axis) {
    MVA_AxisTable t = MVA_MakeAxisTable(cfg, axis);
    std::printf("\n%s  %d segment%s%s\n", std::string(kMvaAxisNames[axis]).c_str(), t.segmentCount,
                t.segmentCount == 1 ? "" : "s", axis >= MVA_TV ? " (over u = 16 / length)" : "");
    for (int i = 0; i < t.segmentCount; ++i) {
      std::printf("  %11d %11d %11d %11d\n", t.column[0][i], t.column[1][i], t.column[2][i],
                  t.column[3][i]);
    }
  }
  MVA_FreeDriverCfg(cfg);
  return 0;
}

struct Word {
  const char* word;
  Handler handler;
};
const Word kWords[] = {
    {"rewrite", Rewrite},
    {"show", Show},
    {"driver", Driver},
    {"activate", VcgActivate},
};

int Vcg(const Args& a) {
  if (a.empty()) return UsageError("vcg needs a word: rewrite, show, driver or activate");
  for (const Word& w : kWords) {
    if (a[0] == w.word) return w.handler(Args(a.begin() + 1, a.end()));
  }
  return UsageError("unknown vcg word " + a[0]);
}

const Command kVcg(
    "vcg", "vcg rewrite IN [OUT] | show FILE | driver FILE | activate FILE", Vcg,
    "Configuration files (.vcg), DOS or host paths.\n"
    "\n"
    "  rewrite IN [OUT]  reads IN and writes it again as the customizer saves it,\n"
    "                    to OUT or over IN\n"
    "  show FILE         what the file says: title, type, level and orientation,\n"
    "                    axis maps, sensitivities and button functions\n"
    "  driver FILE       what the driver is given for it: level, orientation, axis\n"
    "                    map, filter and the fixed-point sensitivity and axis tables\n"
    "  activate FILE     makes FILE the live configuration in the registry store,\n"
    "                    as the monitor does, and prints the result: 0 live, -1 not\n"
    "                    read or not written, -2 no joystick slot bound to the driver\n");

}  // namespace
}  // namespace tools
