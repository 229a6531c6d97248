// What the driver does to a frame, on tunings that stock files do not
// show: reversed and shared map letters, the filter bits, the vector dead
// zone and malformed tables.
#include <gtest/gtest.h>

#include "driver/devices.h"
#include "driver/transform.h"
#include "tuning/mva_config.h"

namespace {

using vexord::Tuning;

// A straight curve 0..100 on every axis, a vector dead zone of 64 on TV
// and none on RV.
Tuning Straight(int filter, const char* map) {
  MVA_DriverCfg cfg;
  for (auto& axis : cfg.axes) axis.segments = {{-512.0f, 512.0f, 100.0f / 512.0f, 0.0f}};
  cfg.axes[MVA_TV].segments = MVA_MakeSegments({{0, 0}, {64, 0}, {512, 100}});
  cfg.axes[MVA_RV].segments = MVA_MakeSegments({{0, 0}, {512, 100}});
  cfg.sens = {1, 1, 1, 1, 0.5f, 1, 1};
  Tuning t;
  for (int a = 0; a < 8; ++a) t.tables[static_cast<std::size_t>(a)] = MVA_MakeAxisTable(cfg, a);
  t.sens = MVA_MakeSensitivity(cfg);
  t.filter = filter;
  t.axisMap = map;
  return t;
}

TEST(Transform, FiltersMapAndVectorGain) {
  struct Case {
    const char* what;
    int filter;
    const char* map;
    std::array<double, 6> in;
    std::array<int, 6> out;
  } cases[] = {
      {"straight through", 0, "XYZRUV", {256, 0, 0, 512, 0, 0}, {49151, 32767, 32767, 65535, 32767, 32767}},
      {"lower case reverses", 0, "xYZRUV", {256, 0, 0, 0, 0, 0}, {16384, 32767, 32767, 32767, 32767, 32767}},
      {"two axes on one add up and clip", 0, "XXZRUV", {384, 384, 0, 0, 0, 0},
       {65535, 32767, 32767, 32767, 32767, 32767}},
      {"RY's factor 0.5", 0, "XYZRUV", {0, 0, 0, 0, -512, 0}, {32767, 32767, 32767, 32767, 16384, 32767}},
      {"single axis keeps the furthest", 1, "XYZRUV", {100, -300, 0, 200, 0, 0},
       {32767, 13567, 32767, 32767, 32767, 32767}},
      {"rotations only", 4, "XYZRUV", {300, 0, 0, 100, 0, 0}, {32767, 32767, 32767, 39167, 32767, 32767}},
      {"both groups: the longer passes", 6, "XYZRUV", {300, 0, 0, 100, 0, 0},
       {51967, 32767, 32767, 32767, 32767, 32767}},
      {"inside the vector dead zone", 0, "XYZRUV", {40, 40, 0, 0, 0, 0}, {32767, 32767, 32767, 32767, 32767, 32767}},
      {"beyond the range clips", 0, "XYZRUV", {4000, 0, 0, 0, 0, 0}, {65535, 32767, 32767, 32767, 32767, 32767}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Tuning t = Straight(c.filter, c.map);
    ASSERT_FALSE(vexord::Malformed(t).has_value());
    const auto out = vexord::Transform(t).Apply(c.in);
    for (std::size_t k = 0; k < 6; ++k) EXPECT_NEAR(out[k], c.out[k], 2) << k;
  }
}

TEST(Transform, MalformedTuningsAreNamed) {
  struct Case {
    const char* what;
    void (*spoil)(Tuning&);
    const char* says;
  } cases[] = {
      {"no segments", [](Tuning& t) { t.tables[0].segmentCount = 0; }, "TX table has 0 segments"},
      {"too many", [](Tuning& t) { t.tables[7].segmentCount = 40; }, "RV table has 40 segments"},
      {"backwards", [](Tuning& t) { std::swap(t.tables[2].column[0][0], t.tables[2].column[1][0]); },
       "TZ table has no segment"},
      {"negative factor", [](Tuning& t) { t.sens[3] = -1; }, "negative"},
      {"filter 9", [](Tuning& t) { t.filter = 9; }, "filter"},
      {"short map", [](Tuning& t) { t.axisMap = "XYZRU"; }, "\"XYZRU\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Tuning t = vexord::NeutralTuning();
    ASSERT_FALSE(vexord::Malformed(t).has_value());
    c.spoil(t);
    EXPECT_NE(vexord::Malformed(t).value_or("").find(c.says), std::string::npos) << vexord::Malformed(t).value_or("");
  }
}

}  // namespace

namespace {

// Device values onto -512..512: an absolute axis by its range (its middle
// is 0), a relative one by its full-scale value; buttons by their order.
TEST(FrameBuilder, DeviceRangesAndButtons) {
  vexord::Layout abs;
  abs.min.fill(0);
  abs.max.fill(1023);
  abs.buttons = {BTN_0, BTN_1};
  vexord::Layout rel;
  rel.relative = true;
  rel.relFullScale = 350;
  rel.buttons = {BTN_LEFT};
  struct Case {
    const char* what;
    const vexord::Layout& layout;
    std::vector<input_event> events;
    std::array<double, 6> axes;
    unsigned buttons;
  } cases[] = {
      {"absolute ends and middle", abs,
       {{{}, EV_ABS, ABS_X, 0}, {{}, EV_ABS, ABS_RZ, 1023}, {{}, EV_ABS, ABS_Y, 511}, {{}, EV_KEY, BTN_1, 1}},
       {-512, -0.5, 0, 0, 0, 512}, 2},
      {"relative scaled and clipped", rel,
       {{{}, EV_REL, REL_RX, 175}, {{}, EV_REL, REL_Z, -700}, {{}, EV_KEY, BTN_LEFT, 1}, {{}, EV_KEY, BTN_RIGHT, 1}},
       {0, 0, -512, 256, 0, 0}, 1},
      {"the other kind of axis is not read", rel, {{{}, EV_ABS, ABS_X, 300}}, {0, 0, 0, 0, 0, 0}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    vexord::FrameBuilder frames(c.layout);
    for (const input_event& ev : c.events) EXPECT_FALSE(frames.Take(ev));
    EXPECT_TRUE(frames.Take({{}, EV_SYN, SYN_REPORT, 0}));
    for (std::size_t k = 0; k < 6; ++k) EXPECT_NEAR(frames.axes()[k], c.axes[k], 0.01) << k;
    EXPECT_EQ(frames.buttons(), c.buttons);
  }
}

}  // namespace
