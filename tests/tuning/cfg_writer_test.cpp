// Writing .vcg files: the exact layout, write-then-read round trips, failed
// writes, and saving the customizer's view over a template.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/file.h"
#include "platform/fileops.h"
#include "support/tempdir.h"
#include "tuning/mva_config.h"

namespace {

const char* const kDate = "Wed Mar 26 15:50:37 1997";

// Not taken from __FILE__: a compiler cache may make that path relative to
// the build folder.
std::string SourceDir() { return TANDRIX_TEST_SOURCE_DIR; }

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// CR LF to LF; fails the test on a bare LF, which text mode never writes.
std::string FromCrlf(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
      ADD_FAILURE() << "bare line feed at " << i;
    }
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    out += bytes[i];
  }
  return out;
}

// Replaces the date of the "created ... on:" line.
std::string WithDate(std::string text, const std::string& date) {
  const std::string marker = "MVA_WriteCfgFile on: ";
  std::size_t at = text.find(marker);
  if (at != std::string::npos) text.replace(at + marker.size(), 24, date);
  return text;
}

std::vector<MVA_CurvePoint> Curve(std::initializer_list<MVA_CurvePoint> points) { return points; }

// A record in which every field holds something.
MVA_CfgRecord FullRecord() {
  MVA_CfgRecord r;
  r.versionMajor = 4;
  r.versionMinor = 7;
  r.applicationName = "Test Game";
  r.owner = 2;
  r.type = 1;
  r.level = 2;
  r.orientation = 1;
  r.axisLabels = {"Turn", "Jump/Crouch", "Walk", "Look up/down", "Strafe", "Roll"};
  r.axisMaps = {"XYZRUV", "XZYRVU", "xYZRUV", "XzYRvU", "UVXYZR"};
  for (int a = 0; a < kMvaAxes; ++a) {
    for (int i = 0; i < kMvaAppValues; ++i) r.appValues[a][i] = a * 100.0f + i * 2.25f - 50.0f;
  }
  r.validMasks = 1;
  r.validNumbers = 0;
  r.validCharacters = 1;
  r.buttonMasks = {{"Fire", 0x1}, {"Jump", 0x2}, {"Use_Item", 0x10}, {"Map", 0x8000}};
  r.devicePresent = 1;
  r.sf = 3;
  const std::vector<MVA_CurvePoint> curves[kMvaCurves] = {
      Curve({{-512, -100}, {-64, -10}, {0, 0}, {64, 10}, {512, 100}}),
      Curve({{-512, -40}, {512, 40}}),
      Curve({{-512, -127.5f}, {-200, -20}, {-20, 0}, {20, 0}, {200, 20}, {512, 127.5f}}),
      Curve({{-512, 50}, {0, 0}, {512, -50}}),
      Curve({{-400, -80}, {400, 80}}),
      Curve({{0, 0}}),
      Curve({{0, 0}, {16, 2}, {300, 90}, {512, 120}}),
      Curve({{0, 0}, {512, 64}}),
  };
  for (int a = 0; a < kMvaCurves; ++a) {
    r.axes[a].points = curves[a];
    r.axes[a].segments = MVA_MakeSegments(curves[a]);
  }
  r.buttonMapsDflt[0].indices = {0};
  r.buttonMapsDflt[1].indices = {1};
  r.buttonMapsDflt[2].indices = {2};
  r.buttonMapsUser[0].indices = {1};
  r.buttonMapsUser[5].indices = {3};
  for (int t = 0; t < 9; ++t) {
    r.tr[t].reals = {t * 0.5f, 1.0f - t * 0.125f};
    r.tr[t].ints = {t, 10 + t, -t};
  }
  for (int c = 0; c < 8; ++c) {
    for (int col = 0; col < 5; ++col) {
      for (int row = 0; row < 7; ++row) r.cp[c].column[col][row] = c + col * 0.5f - row * 0.25f;
    }
  }
  r.hpfm = {1, 6, 2};
  r.sens = {{{0.57f, 1, 1, 1, 1, 1, 2},
             {0.75f, 0.75f, 1.25f, 1, 1, 1, 1},
             {1.5f, 1.5f, 1.5f, 2, 2, 2, 1.1f},
             {1, 1, 1, 1, 1, 1, 0.5f},
             {0.8f, 0.9f, 1, 1.1f, 1.2f, 1.3f, 1},
             {2.5f, 0, 1, 1, 1, 1, 3}}};
  r.functionMasks[0] = {1, 1};   // TX+
  r.functionMasks[2] = {1, 0};   // TX+R
  r.functionMasks[5] = {1, 2};   // TY-
  r.functionMasks[21] = {1, 3};  // RZ- (alone, its lookup would find the RZ-R line)
  r.functionMasks[23] = {1, 3};  // RZ-R
  return r;
}

class CfgWriter : public ::testing::Test {
 protected:
  void TearDown() override { platform::testing::FailWritesAfter(-1); }
  MVA_CfgRecord RoundTrip(const MVA_CfgRecord& r) {
    EXPECT_EQ(MVA_WriteCfgFile(r, dir_.Host("rt.vcg")), 0);
    MVA_CfgRecord back;
    EXPECT_EQ(MVA_ReadCfgFile(back, 0, dir_.Host("rt.vcg")), 0);
    return back;
  }
  testsupport::TempDir dir_;
};

TEST_F(CfgWriter, GoldenFile) {
  const MVA_CfgRecord r = FullRecord();
  ASSERT_EQ(MVA_WriteCfgFile(r, dir_.Host("out.vcg")), 0);
  std::string written = FromCrlf(ReadText(dir_.Host("out.vcg")));
  std::string golden = ReadText(SourceDir() + "/cfg_golden.vcg");
  if (WithDate(written, kDate) != golden) {
    // Left for review beside the build when the layout changes.
    std::ofstream(std::string(TANDRIX_BINARY_DIR) + "/cfg_golden.actual", std::ios::binary)
        << WithDate(written, kDate);
  }
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(WithDate(written, kDate), golden);
  EXPECT_EQ(MVA_FormatCfgFile(r, kDate), golden);
}

TEST_F(CfgWriter, DateLineIsTheCurrentLocalTime) {
  ASSERT_EQ(MVA_WriteCfgFile(FullRecord(), dir_.Host("out.vcg")), 0);
  std::string text = FromCrlf(ReadText(dir_.Host("out.vcg")));
  std::size_t at = text.find("on: ");
  ASSERT_NE(at, std::string::npos);
  std::string line = text.substr(at + 4, text.find('\n', at) - at - 4);
  EXPECT_EQ(line.size(), 24u) << line;
  EXPECT_EQ(line[3], ' ');
  EXPECT_EQ(line[13], ':');
}

TEST_F(CfgWriter, FullRecordRoundTrips) {
  const MVA_CfgRecord r = FullRecord();
  EXPECT_EQ(RoundTrip(r), r);
}

TEST_F(CfgWriter, WhatDoesNotRoundTrip) {
  // A button with two masks is written with both names but reads back as
  // none; a map the record never had is left out and stays missing.
  MVA_CfgRecord r = FullRecord();
  r.buttonMapsUser[2].indices = {0, 1};
  r.axisMaps[4].clear();
  std::string text = MVA_FormatCfgFile(r, kDate);
  EXPECT_NE(text.find("BUTTON_C_USER = Fire, Jump\n"), std::string::npos);
  EXPECT_EQ(text.find("AXIS_MAP_ADV_USER"), std::string::npos);
  MVA_CfgRecord back = RoundTrip(r);
  EXPECT_EQ(back.buttonMapsUser[2].count(), 0);
  EXPECT_EQ(back.axisMaps[4], "");
}

TEST_F(CfgWriter, Layout) {
  struct Case {
    const char* name;
    std::function<void(MVA_CfgRecord&)> change;
    const char* present;  // text that must appear
    const char* absent;   // text that must not
  };
  const Case cases[] = {
      {"empty name: no line, no comment", [](MVA_CfgRecord& r) { r.applicationName.clear(); },
       "\n\n; Owner, game type", "APPLICATION_NAME"},
      {"no masks: no block, still the empty line", [](MVA_CfgRecord& r) {
         r.buttonMasks.clear();
         r.buttonMapsDflt = {};
         r.buttonMapsUser = {};
         r.functionMasks = {};
       },
       "VALID_CHARACTERS = TRUE\n\n\n; The device to configure.\n", "BUTTON_MASKS"},
      {"one mask: one line, no comma", [](MVA_CfgRecord& r) { r.buttonMasks.resize(1); },
       "BUTTON_MASKS = {\n               { Fire, 0x1 }\n               }\n\n", "0x1 },"},
      {"three points", [](MVA_CfgRecord& r) {},
       "RX = {\n     { -512.000000, 50.000000 },\n     { 0.000000, 0.000000 },\n"
       "     { 512.000000, -50.000000 }\n     }\n\n", nullptr},
      {"one point, no comma", [](MVA_CfgRecord& r) {},
       "RZ = {\n     { 0.000000, 0.000000 }\n     }\n\n", nullptr},
      {"no points: nothing at all", [](MVA_CfgRecord& r) { r.axes[4] = {}; }, nullptr,
       "Rotation around Y"},
      {"empty labels are left out", [](MVA_CfgRecord& r) { r.axisLabels[2].clear(); },
       "TY_LABEL = Jump/Crouch\nRX_LABEL", "TZ_LABEL"},
      {"function keys padded to four", [](MVA_CfgRecord& r) {},
       "TX+  = Jump\nTX+R = Fire\nTY-  = Use_Item\nRZ-  = Map\nRZ-R = Map\n\n", nullptr},
      {"stale indices are not written", [](MVA_CfgRecord& r) {
         r.buttonMapsUser[1].indices = {9};
         r.functionMasks[4] = {1, 40};
       },
       nullptr, "BUTTON_B_USER"},
      {"tokens out of range write the first token", [](MVA_CfgRecord& r) { r.level = 9; },
       "LEVEL = BEGINNER\n", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MVA_CfgRecord r = FullRecord();
    c.change(r);
    std::string text = MVA_FormatCfgFile(r, kDate);
    if (c.present) {
      EXPECT_NE(text.find(c.present), std::string::npos) << text;
    }
    if (c.absent) {
      EXPECT_EQ(text.find(c.absent), std::string::npos);
    }
  }
}

TEST_F(CfgWriter, ResultCodes) {
  const std::string path = dir_.Host("out.vcg");
  MVA_CfgRecord r = FullRecord();

  r.versionMajor = 1;
  EXPECT_EQ(MVA_WriteCfgFile(r, path), -2);
  EXPECT_FALSE(dir_.Exists("out.vcg"));

  r = FullRecord();
  r.devicePresent = 0;
  EXPECT_EQ(MVA_WriteCfgFile(r, path), -5);
  std::string global = FromCrlf(ReadText(path));
  EXPECT_EQ(global.find("[HARRIER_1]"), std::string::npos);
  EXPECT_EQ(global.substr(global.size() - 18), "               }\n\n");

  EXPECT_EQ(MVA_WriteCfgFile(FullRecord(), dir_.Host("missing/out.vcg")), -3);
}

TEST_F(CfgWriter, FailedWriteKeepsTheOldFile) {
  const std::string path = dir_.Host("game.vcg");
  dir_.Write("game.vcg", "VERSION = 4.0\nold contents\n");
  for (int after : {0, 1, 100, 4000}) {
    platform::testing::FailWritesAfter(after);
    EXPECT_EQ(MVA_WriteCfgFile(FullRecord(), path), -3) << after;
    platform::testing::FailWritesAfter(-1);
    EXPECT_EQ(dir_.Read("game.vcg"), "VERSION = 4.0\nold contents\n") << after;
  }
  EXPECT_EQ(MVA_WriteCfgFile(FullRecord(), path), 0);
}

TEST_F(CfgWriter, UnknownDeviceAndAxisAreReported) {
  MVA_CfgRecord r = FullRecord();
  std::string out;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MVA_WriteButtonMap(out, r, 1, true), -1);
  EXPECT_EQ(MVA_WriteAxis(out, r, 8), -1);
  EXPECT_EQ(MVA_WriteAxis(out, r, -1), -1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "MVA_WriteButtonMap: Unknown device type. (1)\n"
            "MVA_WriteAxis: Unknown axis. (8)\n"
            "MVA_WriteAxis: Unknown axis. (-1)\n");
  EXPECT_EQ(out, "");
  EXPECT_EQ(MVA_WriteButtonMap(out, r, 0, true), 0);
  EXPECT_EQ(out, "BUTTON_A_USER = Jump\nBUTTON_F_USER = Map\n\n");
}

class SaveUserSettings : public CfgWriter {};

TEST_F(SaveUserSettings, OverlaysTheTemplate) {
  const MVA_CfgRecord tmpl = FullRecord();
  ASSERT_EQ(MVA_WriteCfgFile(tmpl, dir_.Host("config.dft")), 0);

  MVA_UserSettings s;
  ASSERT_EQ(MVA_ReadUserSettings(s, dir_.Host("config.dft")), 0);
  s.owner = 1;
  s.type = 0;
  s.level = 1;
  s.orientation = 2;
  s.applicationName = "A name longer than twenty-three";
  s.axisLabels[0] = "Spin";
  s.axisMaps[2] = MVA_AxisMapToUser("YXzRUv");
  s.hpfm = {2, 4, 1};
  s.sens[3] = {50, 110, 120, 130, 140, 150, 160};
  s.buttonUser = {3, 255, 2, 4, 0, -1};  // 4 and -1 name no mask of the template

  ASSERT_EQ(MVA_SaveUserSettings(s, dir_.Host("config.dft"), dir_.Host("mine.vcg")), 0);
  MVA_CfgRecord saved;
  ASSERT_EQ(MVA_ReadCfgFile(saved, 0, dir_.Host("mine.vcg")), 0);

  MVA_CfgRecord want = tmpl;
  want.owner = 1;
  want.type = 0;
  want.level = 1;
  want.orientation = 2;
  want.applicationName = "A name longer than twen";
  want.axisLabels[0] = "Spin";
  want.axisMaps[2] = "YXzRUv";
  want.hpfm = {2, 4, 1};
  want.sens[3] = {1.1f, 1.2f, 1.3f, 1.4f, 1.5f, 1.6f, 0.5f};
  want.buttonMapsUser = {};
  want.buttonMapsUser[0].indices = {3};
  want.buttonMapsUser[2].indices = {2};
  want.buttonMapsUser[4].indices = {0};
  EXPECT_EQ(saved, want);

  MVA_UserSettings back;
  ASSERT_EQ(MVA_ReadUserSettings(back, dir_.Host("mine.vcg")), 0);
  EXPECT_EQ(back.sens, s.sens);
  EXPECT_EQ(back.axisMaps[2], s.axisMaps[2]);
  EXPECT_EQ(back.buttonUser, (std::array<int32_t, 6>{3, 255, 2, 255, 0, 255}));
}

TEST_F(SaveUserSettings, TemplateMayBeTheTarget) {
  ASSERT_EQ(MVA_WriteCfgFile(FullRecord(), dir_.Host("game.vcg")), 0);
  MVA_UserSettings s;
  ASSERT_EQ(MVA_ReadUserSettings(s, dir_.Host("game.vcg")), 0);
  s.level = 0;
  ASSERT_EQ(MVA_SaveUserSettings(s, dir_.Host("game.vcg"), dir_.Host("game.vcg")), 0);
  MVA_CfgRecord saved;
  ASSERT_EQ(MVA_ReadCfgFile(saved, 0, dir_.Host("game.vcg")), 0);
  EXPECT_EQ(saved.level, 0);
  EXPECT_EQ(saved.axes, FullRecord().axes);
}

TEST_F(SaveUserSettings, Failures) {
  MVA_UserSettings s;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MVA_SaveUserSettings(s, dir_.Host("none.dft"), dir_.Host("out.vcg")), -1);
  ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(dir_.Exists("out.vcg"));

  ASSERT_EQ(MVA_WriteCfgFile(FullRecord(), dir_.Host("config.dft")), 0);
  EXPECT_EQ(MVA_SaveUserSettings(s, dir_.Host("config.dft"), dir_.Host("no/out.vcg")), -2);
  dir_.Write("out.vcg", "keep me");
  platform::testing::FailWritesAfter(10);
  EXPECT_EQ(MVA_SaveUserSettings(s, dir_.Host("config.dft"), dir_.Host("out.vcg")), -2);
  platform::testing::FailWritesAfter(-1);
  EXPECT_EQ(dir_.Read("out.vcg"), "keep me");
}

}  // namespace
