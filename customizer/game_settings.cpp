#include "customizer/game_settings.h"

#include <algorithm>
#include <utility>

#include "customizer/shared_strings.h"
#include "platform/dospath.h"

namespace {

// The built-in maps: per joystick axis X Y Z R U V the driving device axis
// and whether it is reversed. Vertical drives Y from TZ reversed, Z from
// TY, R from RX reversed, U from RZ and V from RY.
struct MapEntry {
  int axis;
  int reversed;
};
constexpr std::array<MapEntry, 6> kHorizontalMap = {{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}}};
constexpr std::array<MapEntry, 6> kVerticalMap = {{{0, 0}, {2, 1}, {1, 0}, {3, 1}, {5, 0}, {4, 0}}};

AxisMap Unpack(const MVA_UserAxisMap& m) {
  AxisMap out{};
  for (int k = 0; k < 6; ++k) {
    out[k] = m.source[k];
    out[6 + k] = m.reversed[k];
  }
  return out;
}

// -1 (no axis) becomes a source the library leaves alone, so that device
// axis keeps the letter the template has.
MVA_UserAxisMap Pack(const AxisMap& m) {
  MVA_UserAxisMap out;
  for (int k = 0; k < 6; ++k) {
    out.source[k] = static_cast<uint8_t>(m[k]);
    out.reversed[k] = static_cast<uint8_t>(m[6 + k]);
  }
  return out;
}

}  // namespace

void CGameSettings::BuildDefaultMap(AxisMap& target, bool vertical) const {
  const auto& table = vertical ? kVerticalMap : kHorizontalMap;
  for (int k = 0; k < 6; ++k) {
    target[k] = labels[table[k].axis].empty() ? kNoAxis : table[k].axis;
    target[6 + k] = table[k].reversed;
  }
}

void CGameSettings::BuildDefaultSensitivities(SensArray& target) const {
  target[0] = 100;
  for (int i = 0; i < kMvaAxes; ++i) target[i + 1] = labels[i].empty() ? 0 : 100;
}

void CGameSettings::Reset() {
  dirty = 0;
  level = 0;
  orientation = 0;
  owner = 1;
  type = kTypeNone;
  for (auto& l : labels) l.clear();
  BuildDefaultMap(hrzDefaultMap, false);
  BuildDefaultMap(vrtDefaultMap, true);
  hrzUserMap = hrzDefaultMap;
  vrtUserMap = vrtDefaultMap;
  advUserMap = hrzDefaultMap;
  filters = {0, 0, 0};
  for (int lvl = 0; lvl < kLevels; ++lvl) {
    BuildDefaultSensitivities(DefaultSens(lvl));
    CurrentSens(lvl) = DefaultSens(lvl);
  }
  defaultButtons = {};
  currentButtons = {};
  nameCount = 0;
  buttonNames.clear();
  title.clear();
  sourcePath.clear();
  instructionsValue = 0;
  gameSection.clear();
  record = MVA_CfgRecord{};
  TakeSnapshot();
}

void CGameSettings::TakeSnapshot() {
  snapshot_.level = level;
  snapshot_.orientation = orientation;
  snapshot_.hrzUserMap = hrzUserMap;
  snapshot_.vrtUserMap = vrtUserMap;
  snapshot_.advUserMap = advUserMap;
  for (int lvl = 0; lvl < kLevels; ++lvl) snapshot_.currentSens[lvl] = CurrentSens(lvl);
  snapshot_.filters = filters;
  snapshot_.currentButtons = currentButtons;
}

// A user map may only keep the default assignment of a joystick axis, or
// none: an axis whose device axis this game does not use is cleared in the
// default map, and a user entry that strays from its default follows it.
void CGameSettings::ReconcileMaps() {
  auto clearUnused = [this](AxisMap& m, int k) {
    if (m[k] != kNoAxis && (m[k] < 0 || m[k] >= kMvaAxes || labels[m[k]].empty())) {
      m[k] = kNoAxis;
      m[6 + k] = 0;
    }
  };
  const std::pair<AxisMap*, AxisMap*> pairs[] = {{&hrzUserMap, &hrzDefaultMap},
                                                 {&vrtUserMap, &vrtDefaultMap}};
  for (auto [user, dflt] : pairs) {
    for (int k = 0; k < 6; ++k) {
      clearUnused(*dflt, k);
      if ((*user)[k] != kNoAxis && (*user)[k] != (*dflt)[k]) {
        (*user)[k] = (*dflt)[k];
        (*user)[6 + k] = (*dflt)[6 + k];
      }
    }
  }
  for (int k = 0; k < 6; ++k) clearUnused(advUserMap, k);
}

LoadError CGameSettings::Load(std::string_view path) {
  // The reader fills only what the file gives: start from an empty record.
  record = MVA_CfgRecord{};
  switch (MVA_ReadCfgFile(record, 0, path)) {
    case 0:
      break;
    case -3:
      return LoadError::OldVersion;
    default:
      return LoadError::Unreadable;
  }
  MVA_UserSettings view;
  switch (MVA_ReadUserSettings(view, path)) {
    case 0:
      break;
    case -2:
      return LoadError::OldVersion;
    default:
      return LoadError::Unreadable;
  }

  owner = view.owner;
  type = view.type;
  level = view.level;
  orientation = view.orientation;
  title = view.applicationName;
  labels = view.axisLabels;
  hrzDefaultMap = Unpack(view.axisMaps[MVA_MAP_HRZ_DFLT]);
  vrtDefaultMap = Unpack(view.axisMaps[MVA_MAP_VRT_DFLT]);
  hrzUserMap = Unpack(view.axisMaps[MVA_MAP_HRZ_USER]);
  vrtUserMap = Unpack(view.axisMaps[MVA_MAP_VRT_USER]);
  advUserMap = Unpack(view.axisMaps[MVA_MAP_ADV_USER]);
  for (int lvl = 0; lvl < kLevels; ++lvl) filters[lvl] = view.hpfm[lvl];
  for (std::size_t s = 0; s < sens.size(); ++s) {
    std::copy(view.sens[s].begin(), view.sens[s].end(), sens[s].begin());
  }
  defaultButtons = view.buttonDflt;
  currentButtons = view.buttonUser;
  buttonNames = view.maskNames;
  if (buttonNames.size() > static_cast<std::size_t>(kMaxButtonNames)) buttonNames.resize(kMaxButtonNames);
  nameCount = static_cast<int>(buttonNames.size());

  ReconcileMaps();
  TakeSnapshot();
  sourcePath = path;
  // The Champion level and the Advanced orientation are not offered here.
  // The snapshot keeps them, so such a file counts as changed at once.
  if (level == MVA_EXPERT) level = MVA_BEGINNER;
  if (orientation == MVA_ADVANCED) orientation = MVA_HORIZONTAL;
  return LoadError::None;
}

int CGameSettings::Save(std::string_view path) {
  MVA_UserSettings view;
  view.owner = static_cast<uint8_t>(owner);
  view.type = static_cast<uint8_t>(type);
  view.level = static_cast<uint8_t>(level);
  view.orientation = static_cast<uint8_t>(orientation);
  std::string name = title;
  if (!name.empty() && name.back() == '"') {
    name.pop_back();
    if (!name.empty()) name.erase(0, 1);
  }
  view.applicationName = name.substr(0, kMvaUserAppNameLimit);
  for (int a = 0; a < kMvaAxes; ++a) view.axisLabels[a] = labels[a].substr(0, kMvaLabelLimit);
  view.axisMaps[MVA_MAP_HRZ_DFLT] = Pack(hrzDefaultMap);
  view.axisMaps[MVA_MAP_VRT_DFLT] = Pack(vrtDefaultMap);
  view.axisMaps[MVA_MAP_HRZ_USER] = Pack(hrzUserMap);
  view.axisMaps[MVA_MAP_VRT_USER] = Pack(vrtUserMap);
  view.axisMaps[MVA_MAP_ADV_USER] = Pack(advUserMap);
  for (int lvl = 0; lvl < kLevels; ++lvl) view.hpfm[lvl] = filters[lvl];
  for (std::size_t s = 0; s < sens.size(); ++s) {
    std::copy(sens[s].begin(), sens[s].end(), view.sens[s].begin());
  }
  view.buttonDflt = defaultButtons;
  view.buttonUser = currentButtons;
  for (const auto& n : buttonNames) {
    if (n.empty() || view.maskNames.size() >= static_cast<std::size_t>(kMaxButtonNames)) break;
    view.maskNames.push_back(n.substr(0, kMvaUserMaskNameLimit));
  }

  const std::string templatePath =
      sourcePath.empty() ? StartDirectory() + "\\config.dft" : sourcePath;
  if (int rc = MVA_WriteCfgFile(record, path); rc != 0) return rc;
  if (int rc = MVA_SaveUserSettings(view, templatePath, path); rc != 0) return rc;
  TakeSnapshot();
  dirty = 0;
  return 0;
}

bool CGameSettings::Changed() const {
  if (dirty != 0) return true;
  if (level != snapshot_.level || orientation != snapshot_.orientation) return true;
  if (hrzUserMap != snapshot_.hrzUserMap || vrtUserMap != snapshot_.vrtUserMap ||
      advUserMap != snapshot_.advUserMap) {
    return true;
  }
  for (int lvl = 0; lvl < kLevels; ++lvl) {
    if (CurrentSens(lvl) != snapshot_.currentSens[lvl]) return true;
  }
  if (currentButtons != snapshot_.currentButtons) return true;
  return filters != snapshot_.filters;
}

LoadError LoadReplacing(CGameSettings& settings, std::string_view path) {
  CGameSettings fresh;
  const LoadError e = fresh.Load(path);
  if (e == LoadError::None) settings = std::move(fresh);
  return e;
}

std::string CutVcgExtension(std::string_view text) {
  if (text.size() >= 4 && platform::EqualsNoCase(text.substr(text.size() - 4), ".vcg")) {
    text.remove_suffix(4);
  }
  return std::string(text);
}

std::string DisplayNameOf(std::string_view path) {
  std::size_t cut = path.rfind('/');
  if (cut == std::string_view::npos) cut = path.rfind('\\');
  if (cut == std::string_view::npos) cut = path.rfind(':');
  if (cut != std::string_view::npos) path.remove_prefix(cut + 1);
  return CutVcgExtension(path);
}
