// The record's vocabulary: token tables, axis maps, curve segments.
#include <gtest/gtest.h>

#include "tuning/mva_config.h"

namespace {

TEST(CfgTokens, TablesAndKeys) {
  EXPECT_EQ(MVA_TokenIndex(kMvaOrientationTokens, "HORIZONTAL"), 0);
  EXPECT_EQ(MVA_TokenIndex(kMvaOrientationTokens, "ADVANCED"), 2);
  EXPECT_EQ(MVA_TokenIndex(kMvaOrientationTokens, "SIDEWAYS"), -1);
  EXPECT_EQ(MVA_TokenIndex(kMvaOwnerTokens, "OEM"), 2);
  EXPECT_EQ(MVA_TokenName(kMvaLevelTokens, 7), "BEGINNER");
  EXPECT_EQ(MVA_TokenName(kMvaTypeTokens, 1), "WINDOWS");

  EXPECT_EQ(MVA_AppValueKey(0, 0), "TX_MINIMUM");
  EXPECT_EQ(MVA_AppValueKey(0, 3), "TX_SLOW_RIGHT");
  EXPECT_EQ(MVA_AppValueKey(1, 8), "TY_FAST_DOWN");
  EXPECT_EQ(MVA_AppValueKey(2, 7), "TZ_MEDIUM_BACKWARD");
  EXPECT_EQ(MVA_AppValueKey(3, 4), "RX_MEDIUM_UP");
  EXPECT_EQ(MVA_AppValueKey(5, 6), "RZ_SLOW_LEFT");
  EXPECT_EQ(MVA_AppValueKey(6, 0), "");
  EXPECT_EQ(kMvaFunctionKeys[4], "TY+");
  EXPECT_EQ(kMvaFunctionKeys[23], "RZ-R");
}

TEST(CfgAxisMap, Validity) {
  struct Case {
    const char* map;
    bool valid;
  };
  const Case cases[] = {
      {"XYZRUV", true}, {"xyzruv", true}, {"VUTRZX", false},  // T is no axis letter
      {"XYZRU", false}, {"XYZRUVX", false}, {"XYZRU-", false}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(MVA_IsValidAxisMap(c.map), c.valid) << c.map;
}

TEST(CfgAxisMap, ToUserAndBack) {
  struct Case {
    const char* map;
    std::array<uint8_t, 6> source;
    std::array<uint8_t, 6> reversed;
    const char* back;  // over the template "------"
  };
  const Case cases[] = {
      {"XYZRUV", {0, 1, 2, 3, 4, 5}, {0, 0, 0, 0, 0, 0}, "XYZRUV"},
      {"xYZRUV", {0, 1, 2, 3, 4, 5}, {1, 0, 0, 0, 0, 0}, "xYZRUV"},
      // device TX drives Y, TY drives X reversed, TZ drives R ...
      {"YxRZVu", {1, 0, 3, 2, 5, 4}, {1, 0, 0, 0, 1, 0}, "YxRZVu"},
      // letters outside the set are skipped; unnamed axes keep their own position
      {"XY?RUV", {0, 1, 2, 3, 4, 5}, {0, 0, 0, 0, 0, 0}, "XYZRUV"},
      {"", {0, 1, 2, 3, 4, 5}, {0, 0, 0, 0, 0, 0}, "XYZRUV"},
  };
  for (const Case& c : cases) {
    MVA_UserAxisMap user = MVA_AxisMapToUser(c.map);
    EXPECT_EQ(user.source, c.source) << c.map;
    EXPECT_EQ(user.reversed, c.reversed) << c.map;
    EXPECT_EQ(MVA_AxisMapFromUser(user, "------"), c.back) << c.map;
  }
}

TEST(CfgAxisMap, UnclaimedPositionsKeepTheTemplate) {
  MVA_UserAxisMap user;
  user.source = {1, 255, 2, 3, 4, 5};  // X from TY; Y driven by nothing
  EXPECT_EQ(MVA_AxisMapFromUser(user, "uvwrst"), "uXZRUV");
  EXPECT_EQ(MVA_AxisMapFromUser(user, "Q"), "QXZRUV");
  EXPECT_EQ(MVA_AxisMapFromUser(user, ""), "-XZRUV");
}

TEST(CfgSegments, FromPoints) {
  struct Case {
    std::vector<MVA_CurvePoint> points;
    std::vector<MVA_CurveSegment> segments;
  };
  const Case cases[] = {
      {{}, {{-512.0f, 512.0f, 1.0f, 0.0f}}},
      {{{-512, -100}, {512, 100}}, {{-512.0f, 512.0f, 0.1953125f, 0.0f}}},
      {{{0, 5}}, {}},
      {{{-10, 0}, {0, 0}, {10, 40}},
       {{-10.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 10.0f, 4.0f, 0.0f}}},
      {{{100, 20}, {200, 70}}, {{100.0f, 200.0f, 0.5f, -30.0f}}},
      // equal x: no division, slope and intercept 0
      {{{7, 1}, {7, 9}}, {{7.0f, 7.0f, 0.0f, 0.0f}}},
  };
  for (const Case& c : cases) EXPECT_EQ(MVA_MakeSegments(c.points), c.segments);
}

TEST(CfgRecord, FreeReleasesEveryList) {
  MVA_CfgRecord r;
  r.buttonMasks.push_back({"FIRE", 1});
  r.axes[3].points = {{0, 0}, {1, 1}};
  r.axes[3].segments = MVA_MakeSegments(r.axes[3].points);
  r.buttonMapsUser[2].indices = {0};
  r.functionMasks[5] = {1, 0};
  r.sf = 3;
  MVA_FreeCfgRecord(r);
  EXPECT_EQ(r.buttonMaskCount(), 0);
  EXPECT_EQ(r.axes[3].pointCount(), 0);
  EXPECT_EQ(r.axes[3].segmentCount(), 0);
  EXPECT_EQ(r.buttonMapsUser[2].count(), 0);
  EXPECT_EQ(r.functionMasks[5].present, 0);
  EXPECT_EQ(r.sf, 3);
  MVA_FreeCfgRecord(r);  // a second release is harmless
}

}  // namespace
