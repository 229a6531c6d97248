// What the driver does to one input frame: the live tuning, as the store
// holds it (16.16 axis tables, sensitivities, filter mask, axis map), turned
// into the values of the virtual joystick's six axes.
//
// The order, written up with a worked example in driver/README.md:
// device range onto -512..512, filter, per-axis curve, vector gain from TV
// or RV over u = 16 / length, sensitivity (axis factor times master), clip
// to -100..100, axis map (lower case reversed; two device axes on one
// joystick axis add up), joystick range 0..65535 around 32767.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "tuning/mva_driver_view.h"

namespace vexord {

inline constexpr int kDeviceAxes = 6;  // TX TY TZ RX RY RZ
inline constexpr int kButtons = 6;     // A .. F
inline constexpr double kDomain = 512.0;     // the stock curves span -512..512
inline constexpr double kFullScale = 100.0;  // the curves' output for a full push

// The joystick range of the slot's hardware record.
inline constexpr std::int32_t kJoyMin = 0;
inline constexpr std::int32_t kJoyMax = 65535;
inline constexpr std::int32_t kJoyCentre = 32767;

// The tuning of one slot exactly as the store holds it.
struct Tuning {
  std::array<MVA_AxisTable, 8> tables{};  // TX TY TZ RX RY RZ TV RV
  std::array<std::int32_t, 7> sens{};     // 16.16; the seventh is the master factor
  int filter = 0;                          // bits: single axis, translations, rotations
  std::string axisMap = "XYZRUV";
  std::string configuration;               // the file it came from, for people
};

// The identity everywhere: what the driver applies before it has read a
// good tuning.
Tuning NeutralTuning();

// Why a tuning cannot be applied (a table with no or too many segments,
// segments out of order, a vector row that is not finite, a bad filter
// digit or axis map), or nothing when it can.
std::optional<std::string> Malformed(const Tuning& tuning);

// A tuning decoded once for fast frames.
class Transform {
 public:
  explicit Transform(const Tuning& tuning);

  // One frame: device axes already on -512..512 (beyond is clipped), the
  // joystick axes X Y Z R U V.
  std::array<std::int32_t, kDeviceAxes> Apply(const std::array<double, kDeviceAxes>& in) const;

  // The pieces, for pictures of the response: the curve of axis 0..5 at x,
  // the vector curve (6 TV, 7 RV) at length, the gain that length gives, and
  // the response of one device axis pushed alone (-100..100 before the map).
  double Curve(int axis, double x) const;
  double Vector(int axis, double length) const;
  double Gain(int axis, double length) const;
  double Alone(int axis, double x) const;

 private:
  struct Row {
    double a, b, slope, intercept;  // x0 x1 slope intercept, or u0 u1 k m
  };
  struct Table {
    std::array<Row, kMvaTableSegments> rows{};
    int count = 0;
  };
  std::array<Table, 8> tables_;
  std::array<double, kDeviceAxes> factor_{};
  int filter_ = 0;
  std::array<int, kDeviceAxes> target_{};  // joystick axis of each device axis
  std::array<bool, kDeviceAxes> reversed_{};
};

// -100..100 onto the joystick range.
std::int32_t JoystickValue(double level);

}  // namespace vexord
