// The driver's view of a configuration file and the fixed-point tables made
// from it.
//
// The device driver never reads .vcg files. When a configuration goes live,
// only what the driver needs is read from the file (chosen by the file's
// LEVEL and ORIENTATION) and turned into 16.16 fixed-point tables.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One straight piece of a response curve: y = slope * x + intercept for x
// from x0 to x1.
struct MVA_CurveSegment {
  float x0 = 0.0f;
  float x1 = 0.0f;
  float slope = 0.0f;
  float intercept = 0.0f;
  friend bool operator==(const MVA_CurveSegment&, const MVA_CurveSegment&) = default;
};

struct MVA_DriverAxis {
  std::vector<MVA_CurveSegment> segments;
  int32_t segmentCount() const { return static_cast<int32_t>(segments.size()); }
};

struct MVA_DriverCfg {
  int32_t deviceIndex = 0;
  int32_t level = 0;          // LEVEL index; 0 when unknown
  int32_t orientation = -1;   // ORIENTATION index; -1 when unknown (treated as horizontal)
  std::string axisMap;        // the orientation's user axis map, at most six characters
  std::array<MVA_DriverAxis, 8> axes;  // TX TY TZ RX RY RZ TV RV
  int32_t hpfm = 0;           // filter mask of the level (bits: axis, translation, rotation)
  std::array<float, 7> sens{};         // user sensitivities of the level
};

// Reads the driver view of the file at path for device deviceIndex (0).
// Returns 0, or 2 when the file cannot be opened ("Error opening %s.\n" on
// standard error). The view is cleared before reading.
int MVA_ReadDriverCfg(MVA_DriverCfg& cfg, int deviceIndex, std::string_view path);

// Releases the segments of the eight axes.
void MVA_FreeDriverCfg(MVA_DriverCfg& cfg);

// 16.16 fixed point: v * 65536 truncated toward zero. Values beyond the
// 32-bit range saturate; NaN gives 0.
int32_t MVA_Fix(double v);

// Most segments one axis table carries.
inline constexpr int kMvaTableSegments = 32;

// Columns: 0 = start, 1 = end, 2 = slope, 3 = intercept, one row per segment.
struct MVA_AxisTable {
  int32_t segmentCount = 0;
  std::array<std::array<int32_t, kMvaTableSegments>, 4> column{};
};

// The table of one axis (0..7). TX..RZ take the segments as they are; the
// vector axes TV and RV (6, 7) are re-expressed over u = 16 / length so the
// driver can work from the reciprocal of the vector length. Every value is
// finite before conversion, whatever the segments hold. An axis number out
// of range gives an empty table.
MVA_AxisTable MVA_MakeAxisTable(const MVA_DriverCfg& cfg, int axis);

// The seven sensitivity factors in 16.16.
std::array<int32_t, 7> MVA_MakeSensitivity(const MVA_DriverCfg& cfg);
