// The driver view of a configuration and its 16.16 tables.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "support/tempdir.h"
#include "tuning/mva_config.h"
#include "tuning/mva_driver_view.h"

namespace {

class DriverView : public ::testing::Test {
 protected:
  MVA_DriverCfg Read(const std::string& text) {
    dir_.Write("d.vcg", text);
    MVA_DriverCfg cfg;
    EXPECT_EQ(MVA_ReadDriverCfg(cfg, 0, dir_.Host("d.vcg")), 0);
    return cfg;
  }
  testsupport::TempDir dir_;
};

std::array<int32_t, 4> Row(const MVA_AxisTable& t, int i) {
  return {t.column[0][i], t.column[1][i], t.column[2][i], t.column[3][i]};
}

MVA_DriverCfg OneSegment(int axis, MVA_CurveSegment s) {
  MVA_DriverCfg cfg;
  cfg.axes[axis].segments = {s};
  return cfg;
}

TEST(DriverFix, Conversions) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double v;
    int32_t fixed;
  };
  const Case cases[] = {
      {1.0, 65536},         {-1.0, -65536},        {0.5, 32768},
      {1.5 / 65536, 1},     {-1.5 / 65536, -1},    {0.9 / 65536, 0},
      {-512.0, -33554432},  {32767.0, 2147418112}, {32768.0, INT32_MAX},
      {-32768.0, INT32_MIN}, {-40000.0, INT32_MIN}, {1e300, INT32_MAX},
      {inf, INT32_MAX},     {-inf, INT32_MIN},     {nan, 0},
      {static_cast<double>(0.57f), 37355},
  };
  for (const Case& c : cases) EXPECT_EQ(MVA_Fix(c.v), c.fixed) << c.v;
}

TEST(DriverTables, AxisRowsAndTheExamples) {
  struct Case {
    const char* name;
    int axis;
    MVA_CurveSegment segment;
    std::array<int32_t, 4> row;
  };
  const Case cases[] = {
      {"TX identity", MVA_TX, {-512, 512, 1, 0}, {-33554432, 33554432, 65536, 0}},
      {"RZ slope and intercept", MVA_RZ, {0, 100, 0.5f, -30}, {0, 6553600, 32768, -1966080}},
      {"TV from 0 to 16", MVA_TV, {0, 16, 1, 0}, {1048576, 65536, -69905, 1118481}},
      {"RV, x0 at least 1 kept", MVA_RV, {2, 4, 1, 0}, {524288, 262144, -32768, 393216}},
      {"k above 32767 is clamped", MVA_TV, {1, 2, -300000, 0}, {1048576, 524288, 2147418112,
                                                                INT32_MIN}},
      {"m above 32767 is clamped, k has no lower limit", MVA_TV, {1, 2, 300000, 0},
       {1048576, 524288, INT32_MIN, 2147418112}},
  };
  for (const Case& c : cases) {
    MVA_AxisTable t = MVA_MakeAxisTable(OneSegment(c.axis, c.segment), c.axis);
    EXPECT_EQ(t.segmentCount, 1) << c.name;
    EXPECT_EQ(Row(t, 0), c.row) << c.name;
  }
}

TEST(DriverTables, DegenerateVectorSegmentsStayFinite) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    MVA_CurveSegment segment;
    std::array<int32_t, 4> row;
  };
  const Case cases[] = {
      // x1 = 0 takes the floor of 1 that x0 takes; u0 = u1 then gives a flat row at y0.
      {"x1 is 0", {0, 0, 2, 3}, {1048576, 1048576, 0, 196608}},
      {"u0 equals u1", {0.5f, 1, 4, 1}, {1048576, 1048576, 0, 196608}},
      {"negative x1", {5, -8, 1, 0}, {209715, 131072, 709973, -1944234}},
      {"infinite slope", {1, 2, inf, 0}, {1048576, 524288, 0, 2147418112}},
      {"NaN everywhere", {nan, nan, nan, nan}, {1048576, 1048576, 0, 0}},
      {"huge x1", {1, FLT_MAX, 1, 0}, {1048576, 0, INT32_MIN, 2147418112}},
  };
  for (const Case& c : cases) {
    MVA_AxisTable t = MVA_MakeAxisTable(OneSegment(MVA_TV, c.segment), MVA_TV);
    EXPECT_EQ(Row(t, 0), c.row) << c.name;
  }
}

TEST(DriverTables, AtMost32SegmentsAndAxisRange) {
  MVA_DriverCfg cfg;
  for (int i = 0; i < 40; ++i) {
    cfg.axes[MVA_RY].segments.push_back({float(i), float(i + 1), 1, float(i)});
  }
  MVA_AxisTable t = MVA_MakeAxisTable(cfg, MVA_RY);
  EXPECT_EQ(t.segmentCount, 32);
  EXPECT_EQ(Row(t, 31), (std::array<int32_t, 4>{31 << 16, 32 << 16, 65536, 31 << 16}));
  EXPECT_EQ(MVA_MakeAxisTable(cfg, 8).segmentCount, 0);
  EXPECT_EQ(MVA_MakeAxisTable(cfg, -1).segmentCount, 0);
  EXPECT_EQ(MVA_MakeAxisTable(cfg, MVA_TX).segmentCount, 0);
  EXPECT_EQ(sizeof(MVA_AxisTable), 516u);
}

TEST_F(DriverView, SelectionByLevelAndOrientation) {
  const std::string body =
      "AXIS_MAP_HRZ_USER = XYZRUV\nAXIS_MAP_VRT_USER = xZYRUVQ\nAXIS_MAP_ADV_USER = UV?\n"
      "[HARRIER_1]\n"
      "HPFM_BEG = { ON, OFF, OFF }\nHPFM_INT = { OFF, ON, OFF }\nHPFM_EXP = { OFF, ON, ON }\n"
      "SENS_BEG_USER = { 1, 1, 1, 1, 1, 1, 0.5 }\n"
      "SENS_INT_USER = { 2, 1, 1, 1, 1, 1, 1 }\n"
      "SENS_EXP_USER = { 3, 1, 1, 1, 1, -1, 1 }\n";
  struct Case {
    const char* head;
    int level;
    int orientation;
    const char* map;
    int hpfm;
    float sens0;
    float sens6;
  };
  const Case cases[] = {
      {"LEVEL = beginner\nORIENTATION = horizontal\n", 0, 0, "XYZRUV", 1, 1.0f, 0.5f},
      {"LEVEL = Intermediate\nORIENTATION = VERTICAL\n", 1, 1, "xZYRUV", 2, 2.0f, 1.0f},
      {"LEVEL = EXPERT\nORIENTATION = advanced\n", 2, 2, "UV?", 6, 3.0f, 1.0f},
      {"LEVEL = GURU\nORIENTATION = upside down\n", 0, -1, "XYZRUV", 1, 1.0f, 0.5f},
      {"", 0, -1, "XYZRUV", 1, 1.0f, 0.5f},
  };
  for (const Case& c : cases) {
    MVA_DriverCfg cfg = Read(std::string(c.head) + body);
    EXPECT_EQ(cfg.deviceIndex, 0);
    EXPECT_EQ(cfg.level, c.level) << c.head;
    EXPECT_EQ(cfg.orientation, c.orientation) << c.head;
    EXPECT_EQ(cfg.axisMap, c.map) << c.head;
    EXPECT_EQ(cfg.hpfm, c.hpfm) << c.head;
    EXPECT_EQ(cfg.sens[0], c.sens0) << c.head;
    EXPECT_EQ(cfg.sens[6], c.sens6) << c.head;
  }
  EXPECT_EQ(Read("LEVEL = EXPERT\n" + body).sens[5], 0.0f) << "negative factor";
}

TEST_F(DriverView, MissingKeys) {
  MVA_DriverCfg cfg = Read("VERSION = 4.0\nORIENTATION = VERTICAL\n");
  EXPECT_EQ(cfg.axisMap, "");
  EXPECT_EQ(cfg.hpfm, 0);
  EXPECT_EQ(MVA_MakeSensitivity(cfg), (std::array<int32_t, 7>{65536, 65536, 65536, 65536, 65536,
                                                               65536, 65536}));
  for (const auto& axis : cfg.axes) {
    ASSERT_EQ(axis.segmentCount(), 1);
    EXPECT_EQ(axis.segments[0], MVA_IdentitySegment());
  }
}

TEST_F(DriverView, SegmentsMatchTheFullReader) {
  std::string text = "VERSION = 4.0\n[HARRIER_1]\nSF = 2\n";
  const char* curves[] = {
      "TX = { { -512, -100 }, { 0, 0 }, { 100, 7 }, { 512, 100 } }\n",
      "ty = {\n { -512, 20 },\n { 512, -20 }\n}\n",
      "TZ = { { 1, 1 }, { 2, 2 }, { 3, 3 }, { 4, 4 }, { 5, 5 }, { 6, 6 }, { 7, 7 } }\n",
      "RX = { }\n",
      "RYTR = { 1, 2, 3, 4, 5 }\n",
      "RZ = { { 3, 3 } }\n",
      "TV = { { 0, 0 }, { 16, 1 }, { 256, 40 }, { 512, 80 } }\n",
      "RV = { { 0, 0 }, { 512, 90 } }\n",
  };
  for (const char* c : curves) text += c;
  dir_.Write("d.vcg", text);
  MVA_CfgRecord full;
  ASSERT_EQ(MVA_ReadCfgFile(full, 0, dir_.Host("d.vcg")), 0);
  MVA_DriverCfg cfg;
  ASSERT_EQ(MVA_ReadDriverCfg(cfg, 0, dir_.Host("d.vcg")), 0);
  for (int a = 0; a < kMvaCurves; ++a) {
    EXPECT_EQ(cfg.axes[a].segments, full.axes[a].segments) << a;
  }
  EXPECT_EQ(cfg.axes[MVA_TX].segmentCount(), 3);
  EXPECT_EQ(cfg.axes[MVA_TZ].segmentCount(), 4) << "2*SF+1 points";
  EXPECT_EQ(cfg.axes[MVA_TV].segmentCount(), 2) << "SF+1 points";
  EXPECT_EQ(cfg.axes[MVA_RZ].segmentCount(), 0) << "one point, no segment";

  MVA_FreeDriverCfg(cfg);
  for (const auto& axis : cfg.axes) EXPECT_EQ(axis.segmentCount(), 0);
}

TEST_F(DriverView, MissingFileAndRereading) {
  MVA_DriverCfg cfg = Read("LEVEL = EXPERT\n[HARRIER_1]\nTX = { { 0, 0 }, { 1, 1 }, { 2, 2 } }\n"
                           "SF = 4\n");
  EXPECT_EQ(cfg.axes[0].segmentCount(), 2);
  std::string path = dir_.Host("none.vcg");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MVA_ReadDriverCfg(cfg, 0, path), 2);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error opening " + path + ".\n");
  EXPECT_EQ(cfg.level, 0) << "the view is cleared before reading";
  EXPECT_EQ(cfg.axes[0].segmentCount(), 0);
}

}  // namespace
