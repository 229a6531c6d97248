// The driver view of a configuration and its 16.16 tables.
#include "tuning/mva_driver_view.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <new>

#include "platform/file.h"
#include "tuning/mva_config.h"
#include "tuning/mva_scan.h"

static int ReadDriverCfgBody(MVA_DriverCfg& cfg, int deviceIndex, std::string_view path) {
  MVA_FreeDriverCfg(cfg);
  cfg = MVA_DriverCfg{};
  cfg.deviceIndex = deviceIndex;
  platform::File file;
  if (!file.Open(path, platform::OpenMode::ReadText)) {
    std::fprintf(stderr, "Error opening %.*s.\n", static_cast<int>(path.size()), path.data());
    return 2;
  }
  const mva_detail::CfgText text(file.Bytes());
  file.Close();
  const int section = mva_detail::SectionOf(deviceIndex);

  int level = mva_detail::ReadToken(text, "LEVEL", kMvaLevelTokens);
  cfg.level = level < 0 ? 0 : level;
  cfg.orientation = mva_detail::ReadToken(text, "ORIENTATION", kMvaOrientationTokens);

  std::string_view mapKey = kMvaAxisMapKeys[MVA_MAP_HRZ_USER];
  if (cfg.orientation == MVA_VERTICAL) mapKey = kMvaAxisMapKeys[MVA_MAP_VRT_USER];
  if (cfg.orientation == MVA_ADVANCED) mapKey = kMvaAxisMapKeys[MVA_MAP_ADV_USER];
  std::string value;
  text.Value(value, mapKey, -1, false);
  cfg.axisMap = value.substr(0, kMvaMapLength);

  int32_t sf = 0;
  text.Value(value, "SF", section, true);
  mva_detail::ParseInt(value, sf);
  for (int axis = 0; axis < kMvaCurves; ++axis) {
    auto& segments = cfg.axes[static_cast<std::size_t>(axis)].segments;
    try {
      segments = MVA_MakeSegments(
          mva_detail::ReadCurvePoints(text, axis, section, mva_detail::CurveLimit(axis, sf)));
    } catch (const std::bad_alloc&) {
      segments.assign(1, MVA_IdentitySegment());
    }
  }

  int levelKey = cfg.level == MVA_INTERMEDIATE ? 1 : cfg.level == MVA_EXPERT ? 2 : 0;
  cfg.hpfm = mva_detail::ReadHpfm(text, kMvaHpfmKeys[levelKey], section);
  cfg.sens = mva_detail::ReadSens(text, kMvaSensKeys[3 + levelKey], section);
  return 0;
}

void MVA_FreeDriverCfg(MVA_DriverCfg& cfg) {
  for (auto& axis : cfg.axes) {
    axis.segments.clear();
    axis.segments.shrink_to_fit();
  }
}

int32_t MVA_Fix(double v) {
  if (std::isnan(v)) return 0;
  double scaled = v * 65536.0;
  if (scaled >= 2147483647.0) return INT32_MAX;
  if (scaled <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(scaled);  // truncates toward zero
}

namespace {

constexpr double kClamp = 32767.0;

// A double as a float, never beyond the float range.
float RoundToFloat(double v) {
  if (std::isnan(v)) return 0.0f;
  if (v > FLT_MAX) return FLT_MAX;
  if (v < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(v);
}

// Segments built from extreme points can hold infinities or NaN; the
// largest float stands in for an infinity and 0 for NaN.
double Finite(double v) {
  if (std::isnan(v)) return 0.0;
  if (std::isinf(v)) return v > 0 ? FLT_MAX : -FLT_MAX;
  return v;
}

// The row of a vector axis: the segment re-expressed over u = 16 / x, so the
// line y = k * u + m passes through (u0, y0) and (u1, y1).
std::array<int32_t, 4> VectorRow(const MVA_CurveSegment& s) {
  double y0 = Finite(static_cast<double>(s.slope) * s.x0 + s.intercept);
  double y1 = Finite(static_cast<double>(s.slope) * s.x1 + s.intercept);
  double x0 = s.x0 >= 1.0f ? s.x0 : 1.0;
  float u0 = static_cast<float>(16.0 / std::fabs(x0));
  // A segment ending at length 0 ends where every vector starts, at the
  // same floor of 1 as the start.
  double x1 = std::fabs(static_cast<double>(s.x1));
  if (!(x1 > 0.0)) x1 = 1.0;
  double u1 = 16.0 / x1;
  double k = 0.0;
  if (u0 != u1) {
    k = RoundToFloat((y0 - y1) / (u0 - u1));
    if (k > kClamp) k = kClamp;
  }
  // u0 == u1 leaves a flat row at the segment's start value.
  double m = y0 - k * u0;
  if (m > kClamp) m = kClamp;
  return {MVA_Fix(u0), MVA_Fix(u1), MVA_Fix(k), MVA_Fix(m)};
}

}  // namespace

MVA_AxisTable MVA_MakeAxisTable(const MVA_DriverCfg& cfg, int axis) {
  MVA_AxisTable table;
  if (axis < 0 || axis >= kMvaCurves) return table;
  const auto& segments = cfg.axes[static_cast<std::size_t>(axis)].segments;
  std::size_t n = std::min<std::size_t>(segments.size(), kMvaTableSegments);
  table.segmentCount = static_cast<int32_t>(n);
  for (std::size_t i = 0; i < n; ++i) {
    const MVA_CurveSegment& s = segments[i];
    std::array<int32_t, 4> row;
    if (axis >= MVA_TV) {
      row = VectorRow(s);
    } else {
      row = {MVA_Fix(s.x0), MVA_Fix(s.x1), MVA_Fix(s.slope), MVA_Fix(s.intercept)};
    }
    for (std::size_t c = 0; c < 4; ++c) table.column[c][i] = row[c];
  }
  return table;
}

std::array<int32_t, 7> MVA_MakeSensitivity(const MVA_DriverCfg& cfg) {
  std::array<int32_t, 7> fixed;
  for (std::size_t i = 0; i < fixed.size(); ++i) fixed[i] = MVA_Fix(cfg.sens[i]);
  return fixed;
}

int MVA_ReadDriverCfg(MVA_DriverCfg& cfg, int deviceIndex, std::string_view path) {
  return mva_detail::NoThrow(2, [&] { return ReadDriverCfgBody(cfg, deviceIndex, path); });
}
