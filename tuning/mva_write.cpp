// Writing the full record as a .vcg file, and saving the customizer's view
// over a template.
#include <cstdio>
#include <new>
#include <string>

#include "platform/clock.h"
#include "platform/file.h"
#include "tuning/mva_config.h"
#include "tuning/mva_scan.h"

namespace {

using mva_detail::AppendFixed;

void Line(std::string& out, std::string_view key, std::string_view value, const char* end = "\n") {
  out.append(key).append(" = ").append(value).append(end);
}

void AppendInt(std::string& out, long long v) { out += std::to_string(v); }

void AppendHex(std::string& out, uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%x", static_cast<unsigned>(v));
  out += buf;
}

// The name of the mask an index selects; empty when the index is stale.
const std::string* MaskName(const MVA_CfgRecord& record, int32_t index) {
  if (index < 0 || index >= record.buttonMaskCount()) return nullptr;
  return &record.buttonMasks[static_cast<std::size_t>(index)].name;
}

std::string_view OnOff(int32_t mask, int32_t bit) { return (mask & bit) ? "ON" : "OFF"; }

constexpr std::array<std::string_view, kMvaCurves> kAxisComments = {
    "; Translation along X (left/right).\n",
    "; Translation along Y (up/down).\n",
    "; Translation along Z (forward/backward).\n",
    "; Rotation around X (up/down).\n",
    "; Rotation around Y (left/right).\n",
    "; Rotation around Z (left/right).\n",
    "; Translations as a vector.\n",
    "; Rotations as a vector.\n",
};

}  // namespace

int MVA_WriteButtonMap(std::string& out, const MVA_CfgRecord& record, int deviceIndex, bool user) {
  if (deviceIndex != 0) {
    std::fprintf(stderr, "MVA_WriteButtonMap: Unknown device type. (%d)\n", deviceIndex);
    return -1;
  }
  const auto& keys = user ? kMvaButtonUserKeys : kMvaButtonDfltKeys;
  const auto& maps = user ? record.buttonMapsUser : record.buttonMapsDflt;
  for (int b = 0; b < kMvaButtons; ++b) {
    std::string names;
    for (int32_t index : maps[b].indices) {
      const std::string* name = MaskName(record, index);
      if (!name) continue;  // a stale index would read back as no button at all
      if (!names.empty()) names += ",";
      names.append(" ").append(*name);
    }
    if (names.empty()) continue;
    out.append(keys[b]).append(" =").append(names).append("\n");
  }
  out += "\n";
  return 0;
}

int MVA_WriteAxis(std::string& out, const MVA_CfgRecord& record, int axis) {
  if (axis < 0 || axis >= kMvaCurves) {
    std::fprintf(stderr, "MVA_WriteAxis: Unknown axis. (%d)\n", axis);
    return -1;
  }
  const auto& points = record.axes[static_cast<std::size_t>(axis)].points;
  if (points.empty()) return 0;
  out += kAxisComments[axis];
  out.append(kMvaAxisNames[axis]).append(" = {\n");
  for (std::size_t i = 0; i < points.size(); ++i) {
    out += "     { ";
    AppendFixed(out, points[i].x, 6);
    out += ", ";
    AppendFixed(out, points[i].y, 6);
    out += " }";
    if (i + 1 < points.size()) out += ",";
    out += "\n";
  }
  out += "     }\n\n";
  return 0;
}

std::string MVA_FormatCfgFile(const MVA_CfgRecord& r, std::string_view date) {
  std::string out;
  out.reserve(8192);
  out += ";\n";
  out += "; Tandrix configuration file.\n";
  out += ";\n";
  out.append("; This file created by MVA_WriteCfgFile on: ").append(date).append("\n");
  out += ";\n\n";

  out += "; Version number must be first non-comment.\n";
  out += "VERSION = ";
  AppendInt(out, r.versionMajor);
  out += ".";
  AppendInt(out, r.versionMinor);
  out += "\n\n";

  if (!r.applicationName.empty()) {
    out += "; The application which uses this configuration file.\n";
    Line(out, "APPLICATION_NAME", r.applicationName, "\n\n");
  }

  out += "; Owner, game type, user level, and device orientation.\n";
  Line(out, "OWNER", MVA_TokenName(kMvaOwnerTokens, r.owner));
  Line(out, "TYPE", MVA_TokenName(kMvaTypeTokens, r.type));
  Line(out, "LEVEL", MVA_TokenName(kMvaLevelTokens, r.level));
  Line(out, "ORIENTATION", MVA_TokenName(kMvaOrientationTokens, r.orientation), "\n\n");

  out += "; Axis labels.\n";
  for (int a = 0; a < kMvaAxes; ++a) {
    if (!r.axisLabels[a].empty()) Line(out, kMvaLabelKeys[a], r.axisLabels[a]);
  }
  out += "\n";

  // A map is six letters; one the file never gave is left out rather than
  // written as padding, so it reads back as missing again.
  out += "; The axis mapping (XYZRUV is the default).\n";
  for (std::size_t m = 0; m < kMvaAxisMapKeys.size(); ++m) {
    std::string_view map = std::string_view(r.axisMaps[m]).substr(0, kMvaMapLength);
    if (!map.empty()) Line(out, kMvaAxisMapKeys[m], map);
  }
  out += "\n";

  out += "; The application minimums and maximums.\n";
  for (int a = 0; a < kMvaAxes; ++a) {
    for (int i = 0; i < kMvaAppValues; ++i) {
      out.append(MVA_AppValueKey(a, i)).append(" = ");
      AppendFixed(out, r.appValues[a][i], 6);
      out += "\n";
    }
    out += "\n";
  }

  auto truth = [](int32_t v) -> std::string_view { return v ? "TRUE" : "FALSE"; };
  out += "; Button masks for game functions.\n";
  Line(out, "VALID_MASKS", truth(r.validMasks));
  Line(out, "VALID_NUMBERS", truth(r.validNumbers));
  Line(out, "VALID_CHARACTERS", truth(r.validCharacters), "\n\n");

  if (!r.buttonMasks.empty()) {
    out += "BUTTON_MASKS = {\n";
    for (std::size_t i = 0; i < r.buttonMasks.size(); ++i) {
      out.append("               { ").append(r.buttonMasks[i].name).append(", 0x");
      AppendHex(out, r.buttonMasks[i].mask);
      out += " }";
      out += i + 1 < r.buttonMasks.size() ? ",\n" : "\n";
    }
    out += "               }\n";
  }
  out += "\n";

  if (!r.devicePresent) return out;

  out += "; The device to configure.\n";
  out.append("[").append(kMvaDeviceSection).append("]\n\n");

  out += "; High pass filter mask (axis, translation, rotation)\n";
  for (std::size_t h = 0; h < kMvaHpfmKeys.size(); ++h) {
    int32_t m = r.hpfm[h];
    out.append(kMvaHpfmKeys[h]).append(" = { ").append(OnOff(m, kMvaFilterAxis)).append(", ");
    out.append(OnOff(m, kMvaFilterTranslation)).append(", ");
    out.append(OnOff(m, kMvaFilterRotation)).append(" }\n");
  }
  out += "\n";

  out += "; Sensitivity values.\n";
  for (std::size_t s = 0; s < kMvaSensKeys.size(); ++s) {
    out.append(kMvaSensKeys[s]).append(" = { ");
    for (int i = 0; i < kMvaSensFactors; ++i) {
      if (i) out += ", ";
      AppendFixed(out, r.sens[s][static_cast<std::size_t>(i)], 2);
    }
    out += " }\n";
  }
  out += "\n";

  out += "; Functions mapped onto axes.\n";
  for (int f = 0; f < kMvaFunctions; ++f) {
    const MVA_FunctionMask& fm = r.functionMasks[f];
    const std::string* name = fm.present ? MaskName(r, fm.maskIndex) : nullptr;
    if (!name) continue;
    std::string key(kMvaFunctionKeys[f]);
    key.resize(std::max<std::size_t>(key.size(), 4), ' ');
    Line(out, key, *name);
  }
  out += "\n";

  out += "; The button mappings.\n";
  MVA_WriteButtonMap(out, r, 0, false);
  MVA_WriteButtonMap(out, r, 0, true);

  out += "; These give Vexor value and associated application value.\n";
  out += "; Anything between the values is fit with a line segment.\n\n";

  out += "SF = ";
  AppendInt(out, r.sf);
  out += "\n";

  for (std::size_t t = 0; t < kMvaTrKeys.size(); ++t) {
    const MVA_TrEntry& e = r.tr[t];
    out.append(kMvaTrKeys[t]).append(" = { ");
    AppendFixed(out, e.reals[0], 6);
    out += ", ";
    AppendFixed(out, e.reals[1], 6);
    for (int32_t v : e.ints) {
      out += ", ";
      AppendInt(out, v);
    }
    out += " }\n";
  }
  out += "\n";

  for (std::size_t c = 0; c < kMvaCpKeys.size(); ++c) {
    out.append(kMvaCpKeys[c]).append(" = {\n");
    for (std::size_t row = 0; row < 7; ++row) {
      out += "       { ";
      for (std::size_t col = 0; col < 5; ++col) {
        if (col) out += ", ";
        AppendFixed(out, r.cp[c].column[col][row], 6);
      }
      out += " },\n";
    }
    out += "       }\n\n";
  }

  out += "; Configuration for each axis.\n\n";
  for (int axis : {MVA_TV, MVA_RV, MVA_TX, MVA_TY, MVA_TZ, MVA_RX, MVA_RY, MVA_RZ}) {
    MVA_WriteAxis(out, r, axis);
  }
  return out;
}

static int WriteCfgFileBody(const MVA_CfgRecord& record, std::string_view path) {
  if (record.versionMajor < 2) return -2;
  std::string text;
  try {
    text = MVA_FormatCfgFile(record, platform::LocalTime24());
  } catch (const std::bad_alloc&) {
    return -3;
  }
  // The file is built whole and replaces the old one only once every byte
  // is on disk: a full disk or an I/O error leaves the old file as it was.
  platform::File file;
  if (!file.Open(path, platform::OpenMode::WriteText)) return -3;
  file.Write(text);
  if (!file.Close()) return -3;
  return record.devicePresent ? 0 : -5;
}

static int SaveUserSettingsBody(const MVA_UserSettings& settings, std::string_view templatePath,
                                std::string_view outPath) {
  MVA_CfgRecord record;
  if (MVA_ReadCfgFile(record, 0, templatePath) != 0) return -1;

  record.owner = settings.owner;
  record.type = settings.type;
  record.level = settings.level;
  record.orientation = settings.orientation;
  record.applicationName = settings.applicationName.substr(0, kMvaAppNameLimit);
  for (int a = 0; a < kMvaAxes; ++a) {
    record.axisLabels[a] = settings.axisLabels[a].substr(0, kMvaLabelLimit);
  }
  for (std::size_t m = 0; m < kMvaAxisMapKeys.size(); ++m) {
    record.axisMaps[m] = MVA_AxisMapFromUser(settings.axisMaps[m], record.axisMaps[m]);
  }
  record.hpfm = settings.hpfm;
  for (std::size_t s = 0; s < kMvaSensKeys.size(); ++s) {
    for (int i = 0; i < 6; ++i) {
      record.sens[s][static_cast<std::size_t>(i)] =
          static_cast<float>(settings.sens[s][static_cast<std::size_t>(i + 1)] * 0.01);
    }
    record.sens[s][6] = static_cast<float>(settings.sens[s][0] * 0.01);
  }
  for (int b = 0; b < kMvaButtons; ++b) {
    int32_t v = settings.buttonUser[b];
    MVA_ButtonMap& map = record.buttonMapsUser[b];
    if (v >= 0 && v < record.buttonMaskCount()) {
      map.indices.assign(1, v);
    } else {
      map.indices.clear();
    }
  }

  int rc = MVA_WriteCfgFile(record, outPath);
  MVA_FreeCfgRecord(record);
  return rc == 0 ? 0 : -2;
}

int MVA_WriteCfgFile(const MVA_CfgRecord& record, std::string_view path) {
  return mva_detail::NoThrow(-3, [&] { return WriteCfgFileBody(record, path); });
}

int MVA_SaveUserSettings(const MVA_UserSettings& settings, std::string_view templatePath,
                         std::string_view outPath) {
  return mva_detail::NoThrow(-2, [&] { return SaveUserSettingsBody(settings, templatePath, outPath); });
}
