#include "driver/transform.h"

#include <algorithm>
#include <cmath>

#include "tuning/mva_config.h"

namespace vexord {
namespace {

constexpr double kOne = 65536.0;  // 1.0 in 16.16

double Unfix(std::int32_t v) { return v / kOne; }

// The vector tables start at length 1 (x0 below 1.0 was raised to it), so
// u never exceeds 16.
constexpr double kMaxU = 16.0;

}  // namespace

Tuning NeutralTuning() {
  Tuning t;
  MVA_DriverCfg identity;
  for (auto& axis : identity.axes) axis.segments.assign(1, MVA_IdentitySegment());
  identity.sens.fill(1.0f);
  for (int a = 0; a < kMvaCurves; ++a) t.tables[static_cast<std::size_t>(a)] = MVA_MakeAxisTable(identity, a);
  t.sens = MVA_MakeSensitivity(identity);
  t.configuration = "none (neutral)";
  return t;
}

std::optional<std::string> Malformed(const Tuning& tuning) {
  static constexpr const char* kNames[] = {"TX", "TY", "TZ", "RX", "RY", "RZ", "TV", "RV"};
  for (int a = 0; a < kMvaCurves; ++a) {
    const MVA_AxisTable& t = tuning.tables[static_cast<std::size_t>(a)];
    const std::string name = std::string("the ") + kNames[a] + " table";
    if (t.segmentCount < 1 || t.segmentCount > kMvaTableSegments) {
      return name + " has " + std::to_string(t.segmentCount) + " segments (1 to 32 expected)";
    }
    bool usable = false;
    for (int i = 0; i < t.segmentCount; ++i) {
      const std::int32_t lo = t.column[0][static_cast<std::size_t>(i)];
      const std::int32_t hi = t.column[1][static_cast<std::size_t>(i)];
      // A curve runs left to right; a vector row runs from short (large u)
      // to long (small u), and u is never negative.
      if (a < MVA_TV ? lo < hi : lo > hi && hi > 0) usable = true;
    }
    if (!usable) return name + " has no segment the driver can use";
  }
  for (std::int32_t s : tuning.sens) {
    if (s < 0) return "a sensitivity is negative";
  }
  if (tuning.filter < 0 || tuning.filter > 7) return "the filter mask is not 0 to 7";
  if (tuning.axisMap.size() != kMvaMapLength ||
      tuning.axisMap.find_first_not_of(kMvaMapLetters) != std::string::npos) {
    return "the axis map \"" + tuning.axisMap + "\" is not six of XxYyZzRrUuVv";
  }
  return std::nullopt;
}

Transform::Transform(const Tuning& tuning) {
  for (std::size_t a = 0; a < tables_.size(); ++a) {
    const MVA_AxisTable& src = tuning.tables[a];
    Table& dst = tables_[a];
    dst.count = std::clamp<int>(src.segmentCount, 0, kMvaTableSegments);
    for (std::size_t i = 0; i < static_cast<std::size_t>(dst.count); ++i) {
      dst.rows[i] = {Unfix(src.column[0][i]), Unfix(src.column[1][i]), Unfix(src.column[2][i]),
                     Unfix(src.column[3][i])};
    }
  }
  const double master = Unfix(tuning.sens[6]);
  for (std::size_t i = 0; i < kDeviceAxes; ++i) factor_[i] = Unfix(tuning.sens[i]) * master;
  filter_ = tuning.filter;
  for (std::size_t p = 0; p < kDeviceAxes; ++p) {
    const std::size_t j = p < tuning.axisMap.size() ? kMvaMapLetters.find(tuning.axisMap[p])
                                                    : std::string_view::npos;
    const std::size_t letter = j == std::string_view::npos ? 2 * p : j;
    target_[p] = static_cast<int>(letter / 2);
    reversed_[p] = letter % 2 == 1;
  }
}

// The first segment that holds x, as the tables are stored; x beyond the
// table's ends takes the nearest end.
double Transform::Curve(int axis, double x) const {
  const Table& t = tables_[static_cast<std::size_t>(axis)];
  double lo = 0, hi = 0;
  bool any = false;
  for (int i = 0; i < t.count; ++i) {
    const Row& r = t.rows[static_cast<std::size_t>(i)];
    if (r.a >= r.b) continue;  // two points at one x: no line
    if (x >= r.a && x <= r.b) return r.slope * x + r.intercept;
    lo = any ? std::min(lo, r.a) : r.a;
    hi = any ? std::max(hi, r.b) : r.b;
    any = true;
  }
  if (!any) return 0.0;
  const double edge = x < lo ? lo : hi;
  for (int i = 0; i < t.count; ++i) {
    const Row& r = t.rows[static_cast<std::size_t>(i)];
    if (r.a < r.b && (r.a == edge || r.b == edge)) return r.slope * edge + r.intercept;
  }
  return 0.0;
}

// The vector table's line y = k u + m over u = 16 / length, the form the
// rows are stored in; between two points it bends as 1 / length does.
double Transform::Vector(int axis, double length) const {
  const Table& t = tables_[static_cast<std::size_t>(axis)];
  const double u = length <= 1.0 ? kMaxU : kMaxU / length;
  double nearest = 0.0, distance = INFINITY;
  for (int i = 0; i < t.count; ++i) {
    const Row& r = t.rows[static_cast<std::size_t>(i)];
    if (!(r.a > r.b && r.b > 0)) continue;
    if (u <= r.a && u >= r.b) return r.slope * u + r.intercept;
    const double edge = u > r.a ? r.a : r.b;
    if (std::abs(u - edge) < distance) {
      distance = std::abs(u - edge);
      nearest = r.slope * edge + r.intercept;
    }
  }
  return nearest;
}

// How much of the per-axis response passes at this vector length: the
// vector curve against the straight line from 0 to 100 at full length,
// never above 1. So a vector curve adds a dead zone around the centre
// (and a soft start) for the whole group, and the per-axis curves keep
// their shape everywhere else.
double Transform::Gain(int axis, double length) const {
  const double straight = kFullScale * std::min(length, kDomain) / kDomain;
  if (straight <= 0.0) return 0.0;
  return std::clamp(Vector(axis, length) / straight, 0.0, 1.0);
}

double Transform::Alone(int axis, double x) const {
  x = std::clamp(x, -kDomain, kDomain);
  const bool translation = axis < 3;
  if ((filter_ & 6) == 2 && !translation) return 0.0;
  if ((filter_ & 6) == 4 && translation) return 0.0;
  const double y = Curve(axis, x) * Gain(translation ? MVA_TV : MVA_RV, std::abs(x)) *
                   factor_[static_cast<std::size_t>(axis)];
  return std::clamp(y, -kFullScale, kFullScale);
}

std::array<std::int32_t, kDeviceAxes> Transform::Apply(
    const std::array<double, kDeviceAxes>& raw) const {
  std::array<double, kDeviceAxes> x;
  for (std::size_t i = 0; i < kDeviceAxes; ++i) x[i] = std::clamp(raw[i], -kDomain, kDomain);

  if (filter_ & 1) {
    // Single axis: only the axis pushed furthest passes.
    std::size_t top = 0;
    for (std::size_t i = 1; i < kDeviceAxes; ++i) {
      if (std::abs(x[i]) > std::abs(x[top])) top = i;
    }
    for (std::size_t i = 0; i < kDeviceAxes; ++i) {
      if (i != top) x[i] = 0.0;
    }
  }
  const double lengthT = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
  const double lengthR = std::sqrt(x[3] * x[3] + x[4] * x[4] + x[5] * x[5]);
  bool passT = true, passR = true;
  switch (filter_ & 6) {
    case 2: passR = false; break;                   // translations only
    case 4: passT = false; break;                   // rotations only
    case 6: (lengthT >= lengthR ? passR : passT) = false; break;  // the stronger group
    default: break;
  }
  const double gainT = passT ? Gain(MVA_TV, lengthT) : 0.0;
  const double gainR = passR ? Gain(MVA_RV, lengthR) : 0.0;

  std::array<double, kDeviceAxes> joy{};
  for (std::size_t i = 0; i < kDeviceAxes; ++i) {
    const double gain = i < 3 ? gainT : gainR;
    if (gain == 0.0) continue;
    double y = Curve(static_cast<int>(i), x[i]) * gain * factor_[i];
    y = std::clamp(y, -kFullScale, kFullScale);
    joy[static_cast<std::size_t>(target_[i])] += reversed_[i] ? -y : y;
  }
  std::array<std::int32_t, kDeviceAxes> out;
  for (std::size_t k = 0; k < kDeviceAxes; ++k) out[k] = JoystickValue(joy[k]);
  return out;
}

std::int32_t JoystickValue(double level) {
  level = std::clamp(level, -kFullScale, kFullScale);
  const double half = level >= 0 ? kJoyMax - kJoyCentre : kJoyCentre - kJoyMin;
  return static_cast<std::int32_t>(std::lround(kJoyCentre + level / kFullScale * half));
}

}  // namespace vexord
