// Reading .vcg files into the full record and into the customizer's view.
#include <cstdio>
#include <new>
#include <string>

#include "tuning/mva_config.h"
#include "tuning/mva_scan.h"

using mva_detail::CfgText;
using mva_detail::ItemList;

namespace {

constexpr int kGlobal = -1;

int TokenOrZero(int index) { return index < 0 ? 0 : index; }

std::string Cut(std::string_view s, std::size_t limit) {
  return std::string(s.substr(0, limit));
}

std::string_view NamePart(std::string_view item) { return item.substr(0, item.find(',')); }

// The items of BUTTON_MASKS, read once for every rule that walks the list.
std::vector<std::string> ReadMaskItems(const CfgText& text, std::size_t limit) {
  std::vector<std::string> items;
  ItemList list(text, "BUTTON_MASKS", kGlobal, false);
  std::string item;
  while (items.size() < limit && list.Next(item) == 0) items.push_back(item);
  return items;
}

void ReadCurves(const CfgText& text, int section, MVA_CfgRecord& record) {
  for (int axis = 0; axis < kMvaCurves; ++axis) {
    MVA_AxisCurve& curve = record.axes[static_cast<std::size_t>(axis)];
    try {
      curve.points = mva_detail::ReadCurvePoints(text, axis, section,
                                                 mva_detail::CurveLimit(axis, record.sf));
      curve.segments = MVA_MakeSegments(curve.points);
    } catch (const std::bad_alloc&) {
      curve.points.clear();
      curve.segments.assign(1, MVA_IdentitySegment());
    }
  }
}

}  // namespace

static int ReadCfgFileBody(MVA_CfgRecord& record, int deviceIndex, std::string_view path) {
  platform::File file;
  if (!file.Open(path, platform::OpenMode::ReadText)) {
    std::fprintf(stderr, "Error opening file %.*s.\n", static_cast<int>(path.size()), path.data());
    return -2;
  }
  const CfgText text(file.Bytes());
  file.Close();
  const int section = mva_detail::SectionOf(deviceIndex);
  std::string value;

  mva_detail::ReadVersion(text, record.versionMajor, record.versionMinor);
  if (record.versionMajor < 4) {
    std::fprintf(stderr, "Error:  old file version %d.\n", record.versionMajor);
    return -3;
  }

  text.Value(value, "APPLICATION_NAME", kGlobal, false);
  std::string_view name(value);
  if (!name.empty() && name.front() == '"') name.remove_prefix(1);
  name = name.substr(0, name.find('"'));
  record.applicationName = Cut(name, kMvaAppNameLimit);

  record.owner = TokenOrZero(mva_detail::ReadToken(text, "OWNER", kMvaOwnerTokens));
  record.type = TokenOrZero(mva_detail::ReadToken(text, "TYPE", kMvaTypeTokens));
  record.level = TokenOrZero(mva_detail::ReadToken(text, "LEVEL", kMvaLevelTokens));
  record.orientation =
      TokenOrZero(mva_detail::ReadToken(text, "ORIENTATION", kMvaOrientationTokens));

  for (int a = 0; a < kMvaAxes; ++a) {
    text.Value(value, kMvaLabelKeys[a], kGlobal, false);
    record.axisLabels[a] = Cut(value, kMvaLabelLimit);
  }

  for (std::size_t m = 0; m < kMvaAxisMapKeys.size(); ++m) {
    if (text.Value(value, kMvaAxisMapKeys[m], kGlobal, false) != 0) continue;
    std::string map = Cut(value, kMvaMapLength);
    for (char& c : map) {
      if (kMvaMapLetters.find(c) == std::string_view::npos) c = '-';
    }
    record.axisMaps[m] = map;
  }

  for (int a = 0; a < kMvaAxes; ++a) {
    for (int i = 0; i < kMvaAppValues; ++i) {
      text.Value(value, MVA_AppValueKey(a, i), kGlobal, true);
      record.appValues[a][i] = mva_detail::ParseRealPrefix(value);
    }
  }

  auto flag = [&](std::string_view key) {
    text.Value(value, key, kGlobal, true);
    return mva_detail::StartsWith(value, "TRUE") ? 1 : 0;
  };
  record.validMasks = flag("VALID_MASKS");
  record.validNumbers = flag("VALID_NUMBERS");
  record.validCharacters = flag("VALID_CHARACTERS");

  record.devicePresent = 1;

  text.Value(value, "SF", section, true);
  mva_detail::ParseInt(value, record.sf);

  ReadCurves(text, section, record);

  // BUTTON_MASKS: the first 80 items become the mask list. Button and
  // function rules below only ever pick among those, so every index the
  // record holds names a mask it has.
  const std::vector<std::string> items = ReadMaskItems(text, kMvaMaxMasks);
  try {
    std::vector<MVA_ButtonMask> masks;
    masks.reserve(items.size());
    for (const std::string& item : items) {
      auto fields = mva_detail::SplitFields(item);
      MVA_ButtonMask mask;
      mask.name = Cut(fields[0], kMvaMaskNameLimit);
      mask.mask = fields.size() > 1 ? mva_detail::ParseHex(fields[1]) : 0;
      masks.push_back(std::move(mask));
    }
    record.buttonMasks = std::move(masks);
  } catch (const std::bad_alloc&) {
    record.buttonMasks.clear();
  }
  const std::size_t kept = record.buttonMasks.size();

  auto readButtons = [&](const std::array<std::string_view, 6>& keys,
                         std::array<MVA_ButtonMap, kMvaButtons>& maps) {
    for (int b = 0; b < kMvaButtons; ++b) {
      if (text.Value(value, keys[b], section, false) != 0) continue;
      maps[b].indices.clear();
      for (std::size_t i = 0; i < kept; ++i) {
        if (NamePart(items[i]) == value) {
          maps[b].indices.push_back(static_cast<int32_t>(i));
          break;
        }
      }
    }
  };
  readButtons(kMvaButtonDfltKeys, record.buttonMapsDflt);
  readButtons(kMvaButtonUserKeys, record.buttonMapsUser);

  std::string group;
  for (std::size_t t = 0; t < kMvaTrKeys.size(); ++t) {
    ItemList list(text, kMvaTrKeys[t], section, true);
    if (list.Next(group) != 0) continue;
    auto fields = mva_detail::SplitFields(group);
    auto field = [&](std::size_t i) { return i < fields.size() ? fields[i] : std::string_view(); };
    MVA_TrEntry& e = record.tr[t];
    e.reals[0] = mva_detail::ParseRealPrefix(field(0));
    e.reals[1] = mva_detail::ParseRealPrefix(field(1));
    for (std::size_t k = 0; k < 3; ++k) mva_detail::ParseInt(field(2 + k), e.ints[k]);
  }

  for (std::size_t c = 0; c < kMvaCpKeys.size(); ++c) {
    ItemList list(text, kMvaCpKeys[c], section, false);
    for (std::size_t row = 0; row < 7; ++row) {
      if (list.Next(group) != 0) break;
      auto fields = mva_detail::SplitFields(group);
      for (std::size_t col = 0; col < 5; ++col) {
        record.cp[c].column[col][row] =
            col < fields.size() ? mva_detail::ParseRealPrefix(fields[col]) : 0.0f;
      }
    }
  }

  for (std::size_t h = 0; h < kMvaHpfmKeys.size(); ++h) {
    record.hpfm[h] = mva_detail::ReadHpfm(text, kMvaHpfmKeys[h], section);
  }
  for (std::size_t s = 0; s < kMvaSensKeys.size(); ++s) {
    record.sens[s] = mva_detail::ReadSens(text, kMvaSensKeys[s], section);
  }

  std::vector<std::string> upperItems;
  upperItems.reserve(kept);
  for (std::size_t i = 0; i < kept; ++i) upperItems.push_back(mva_detail::ToUpper(items[i]));
  for (int f = 0; f < kMvaFunctions; ++f) {
    MVA_FunctionMask& fm = record.functionMasks[f];
    fm = MVA_FunctionMask{};
    text.Value(value, kMvaFunctionKeys[f], section, true);
    if (value.empty()) continue;
    for (std::size_t i = 0; i < kept; ++i) {
      if (upperItems[i].find(value) != std::string::npos) {
        fm.present = 1;
        fm.maskIndex = static_cast<int32_t>(i);
        break;
      }
    }
  }
  return 0;
}

static int ReadUserSettingsBody(MVA_UserSettings& settings, std::string_view path) {
  platform::File file;
  if (!file.Open(path, platform::OpenMode::ReadText)) return -1;
  const CfgText text(file.Bytes());
  file.Close();
  const int section = 0;
  std::string value;

  int32_t major = 0;
  int32_t minor = 0;
  if (!mva_detail::ReadVersion(text, major, minor) || major < 4) return -2;

  settings.owner =
      static_cast<uint8_t>(TokenOrZero(mva_detail::ReadToken(text, "OWNER", kMvaOwnerTokens)));
  settings.type =
      static_cast<uint8_t>(TokenOrZero(mva_detail::ReadToken(text, "TYPE", kMvaTypeTokens)));
  settings.level =
      static_cast<uint8_t>(TokenOrZero(mva_detail::ReadToken(text, "LEVEL", kMvaLevelTokens)));
  settings.orientation = static_cast<uint8_t>(
      TokenOrZero(mva_detail::ReadToken(text, "ORIENTATION", kMvaOrientationTokens)));

  text.Value(value, "APPLICATION_NAME", -1, false);
  settings.applicationName = Cut(value, kMvaUserAppNameLimit);

  for (int a = 0; a < kMvaAxes; ++a) {
    text.Value(value, kMvaLabelKeys[a], -1, false);
    settings.axisLabels[a] = Cut(value, kMvaLabelLimit);
  }
  for (std::size_t m = 0; m < kMvaAxisMapKeys.size(); ++m) {
    text.Value(value, kMvaAxisMapKeys[m], -1, false);
    settings.axisMaps[m] = MVA_AxisMapToUser(value);
  }
  for (std::size_t h = 0; h < kMvaHpfmKeys.size(); ++h) {
    settings.hpfm[h] = mva_detail::ReadHpfm(text, kMvaHpfmKeys[h], section);
  }

  for (std::size_t s = 0; s < kMvaSensKeys.size(); ++s) {
    auto factors = mva_detail::ReadSens(text, kMvaSensKeys[s], section);
    auto hundredths = [](float f) {
      double v = static_cast<double>(f) * 100.0 + 0.005;
      return v >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(v);
    };
    settings.sens[s][0] = hundredths(factors[6]);
    for (int i = 0; i < 6; ++i) settings.sens[s][static_cast<std::size_t>(i + 1)] = hundredths(factors[i]);
  }

  std::vector<std::string> names;
  for (const std::string& item : ReadMaskItems(text, kMvaMaxUserMasks)) {
    names.push_back(Cut(NamePart(item), kMvaUserMaskNameLimit));
  }

  auto readButtons = [&](const std::array<std::string_view, 6>& keys,
                         std::array<int32_t, kMvaButtons>& buttons) {
    for (int b = 0; b < kMvaButtons; ++b) {
      buttons[b] = kMvaNoButton;
      if (text.Value(value, keys[b], section, false) != 0) continue;
      for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == value) {
          buttons[b] = static_cast<int32_t>(i);
          break;
        }
      }
    }
  };
  readButtons(kMvaButtonDfltKeys, settings.buttonDflt);
  readButtons(kMvaButtonUserKeys, settings.buttonUser);

  for (std::string& name : names) {
    for (char& c : name) {
      if (c == '_') c = ' ';
    }
  }
  settings.maskNames = std::move(names);
  return 0;
}

int MVA_ReadCfgFile(MVA_CfgRecord& record, int deviceIndex, std::string_view path) {
  return mva_detail::NoThrow(-2, [&] { return ReadCfgFileBody(record, deviceIndex, path); });
}

int MVA_ReadUserSettings(MVA_UserSettings& settings, std::string_view path) {
  return mva_detail::NoThrow(-1, [&] { return ReadUserSettingsBody(settings, path); });
}
