// The record's vocabulary: application value keys, axis-map conversions,
// curve segments and releasing a record.
#include <array>
#include <string>

#include "tuning/mva_config.h"

const std::string& MVA_AppValueKey(int axis, int i) {
  static const std::array<std::string, kMvaAxes * kMvaAppValues> keys = [] {
    std::array<std::string, kMvaAxes * kMvaAppValues> k;
    static constexpr std::array<std::string_view, 3> kSpeeds = {"SLOW", "MEDIUM", "FAST"};
    for (int a = 0; a < kMvaAxes; ++a) {
      std::string base = std::string(kMvaAxisNames[a]) + "_";
      std::string* row = &k[static_cast<std::size_t>(a * kMvaAppValues)];
      row[0] = base + "MINIMUM";
      row[1] = base + "ZERO";
      row[2] = base + "MAXIMUM";
      for (int dir = 0; dir < 2; ++dir) {
        for (int s = 0; s < 3; ++s) {
          row[3 + dir * 3 + s] = base + std::string(kSpeeds[s]) + "_" +
                                 std::string(kMvaDirectionWords[a][dir]);
        }
      }
    }
    return k;
  }();
  static const std::string none;
  if (axis < 0 || axis >= kMvaAxes || i < 0 || i >= kMvaAppValues) return none;
  return keys[static_cast<std::size_t>(axis * kMvaAppValues + i)];
}

bool MVA_IsValidAxisMap(std::string_view map) {
  if (map.size() != kMvaMapLength) return false;
  for (char c : map) {
    if (kMvaMapLetters.find(c) == std::string_view::npos) return false;
  }
  return true;
}

MVA_UserAxisMap MVA_AxisMapToUser(std::string_view map) {
  MVA_UserAxisMap user;
  for (std::size_t p = 0; p < kMvaMapLength && p < map.size(); ++p) {
    std::size_t j = kMvaMapLetters.find(map[p]);
    if (j == std::string_view::npos) continue;
    user.source[j / 2] = static_cast<uint8_t>(p);
    user.reversed[j / 2] = static_cast<uint8_t>(j % 2);
  }
  return user;
}

std::string MVA_AxisMapFromUser(const MVA_UserAxisMap& user, std::string_view templateMap) {
  std::string map(templateMap.substr(0, kMvaMapLength));
  map.resize(kMvaMapLength, '-');
  for (std::size_t k = 0; k < kMvaMapLength; ++k) {
    std::size_t s = user.source[k];
    if (s >= kMvaMapLength) continue;
    map[s] = kMvaMapLetters[k * 2 + (user.reversed[k] ? 1 : 0)];
  }
  return map;
}

MVA_CurveSegment MVA_IdentitySegment() { return MVA_CurveSegment{-512.0f, 512.0f, 1.0f, 0.0f}; }

std::vector<MVA_CurveSegment> MVA_MakeSegments(const std::vector<MVA_CurvePoint>& points) {
  std::vector<MVA_CurveSegment> segments;
  if (points.empty()) {
    segments.push_back(MVA_IdentitySegment());
    return segments;
  }
  segments.reserve(points.size() - 1);
  for (std::size_t j = 0; j + 1 < points.size(); ++j) {
    const MVA_CurvePoint& a = points[j];
    const MVA_CurvePoint& b = points[j + 1];
    MVA_CurveSegment s{a.x, b.x, 0.0f, 0.0f};
    if (a.x != b.x) {
      // Single precision throughout, as the tables were always built.
      float dy = b.y - a.y;
      float dx = b.x - a.x;
      s.slope = dy / dx;
      float run = s.slope * a.x;
      s.intercept = a.y - run;
    }
    segments.push_back(s);
  }
  return segments;
}

void MVA_FreeCfgRecord(MVA_CfgRecord& record) {
  record.buttonMasks.clear();
  record.buttonMasks.shrink_to_fit();
  for (auto& curve : record.axes) curve = MVA_AxisCurve{};
  for (auto& map : record.buttonMapsDflt) map = MVA_ButtonMap{};
  for (auto& map : record.buttonMapsUser) map = MVA_ButtonMap{};
  for (auto& f : record.functionMasks) f = MVA_FunctionMask{};
}
