// tandrix vcg rewrite, show and driver, run as a user would.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "run_tool.h"
#include "support/tempdir.h"

namespace {

using testsupport::RunTool;
using testsupport::TempDir;

const std::string kProduct = TANDRIX_PRODUCT_DIR;

std::string WithoutDateLine(const std::string& text) {
  std::size_t at = text.find("MVA_WriteCfgFile on: ");
  if (at == std::string::npos) return text;
  return text.substr(0, at) + text.substr(text.find('\n', at) + 1);
}

TEST(VcgTool, RewriteInPlaceAndToAnotherFile) {
  TempDir t;
  auto copy = RunTool({"vcg", "rewrite", kProduct + "/games/quake.vcg", "quake.vcg"}, t.path());
  EXPECT_EQ(copy.exitCode, 0) << copy.err;
  std::string first = t.Read("quake.vcg");
  ASSERT_NE(first.find("APPLICATION_NAME = Quake\r\n"), std::string::npos);

  auto inPlace = RunTool({"vcg", "rewrite", "QUAKE.VCG"}, t.path());
  EXPECT_EQ(inPlace.exitCode, 0) << inPlace.err;
  EXPECT_EQ(WithoutDateLine(t.Read("quake.vcg")), WithoutDateLine(first));
}

TEST(VcgTool, Failures) {
  TempDir t;
  t.Write("old.vcg", "VERSION = 3.9\n");
  struct Case {
    std::vector<std::string> args;
    int exit;
  } cases[] = {
      {{"vcg"}, 2},
      {{"vcg", "bogus"}, 2},
      {{"vcg", "show"}, 2},
      {{"vcg", "rewrite", "a", "b", "c"}, 2},
      {{"vcg", "rewrite", "missing.vcg"}, 1},
      {{"vcg", "rewrite", "old.vcg"}, 1},
      {{"vcg", "rewrite", kProduct + "/games/quake.vcg", "nofolder/x.vcg"}, 1},
      {{"vcg", "show", "missing.vcg"}, 1},
      {{"vcg", "driver", "missing.vcg"}, 1},
      {{"curves", "missing.vcg"}, 1},
      {{"curves", "a.vcg", "b.vcg"}, 2},
      {{"curves", kProduct + "/games/quake.vcg", "--svg"}, 2},
      {{"curves", kProduct + "/games/quake.vcg", "--svg", "nofolder/x.svg"}, 1},
  };
  for (const auto& c : cases) {
    auto r = RunTool(c.args, t.path());
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    EXPECT_EQ(r.exitCode, c.exit) << joined;
    EXPECT_NE(r.err.find("tandrix: "), std::string::npos) << joined;
  }
  EXPECT_EQ(t.Read("old.vcg"), "VERSION = 3.9\n");
}

TEST(VcgTool, ShowIsReadable) {
  auto r = RunTool({"vcg", "show", kProduct + "/defaults/Joy3D.vcg"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* want : {
           "Type:         WINDOWS\n",
           "Level:        BEGINNER (Basic)\n",
           "Orientation:  HORIZONTAL\n",
           "  RY  Rudder left/right\n",
           "AXIS_MAP_HRZ_USER ZUVYRX X<-RZ  Y<-RX  Z<-TX  R<-RY  U<-TY  V<-TZ  (in use)\n",
           "  SENS_BEG_USER   0.65  0.65  0.65  0.55  0.50  0.55  0.80  (in use)\n",
           "  BEG  axis\n",
           "  A  Button 1                 Button 1\n",
       }) {
    EXPECT_NE(r.out.find(want), std::string::npos) << want << "\n" << r.out;
  }
}

TEST(VcgTool, DriverPrintsTheTablesIn16_16) {
  TempDir t;
  t.Write("d.vcg",
          "LEVEL = EXPERT\r\nORIENTATION = VERTICAL\r\nAXIS_MAP_VRT_USER = xZYRUV\r\n"
          "[HARRIER_1]\r\nSF = 3\r\nTX = { { -512, -512 }, { 512, 512 } }\r\n"
          "TV = { { 0, 0 }, { 16, 16 } }\r\nHPFM_EXP = { OFF, ON, ON }\r\n"
          "SENS_EXP_USER = { 1, 0.5, 2, 1, 1, 1, 1.5 }\r\n");
  auto r = RunTool({"vcg", "driver", "d.vcg"}, t.path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* want : {
           "Level:        2\n",
           "Orientation:  1\n",
           "Axis map:     xZYRUV\n",
           "Filter mask:  6 (translation rotation)\n",
           "Sensitivity:  65536 32768 131072 65536 65536 65536 98304\n",
           "TX  1 segment\n    -33554432    33554432       65536           0\n",
           "TV  1 segment (over u = 16 / length)\n      1048576       65536      -69905     1118481\n",
           "TY  1 segment\n    -33554432    33554432       65536           0\n",
       }) {
    EXPECT_NE(r.out.find(want), std::string::npos) << want << "\n" << r.out;
  }
}

// A FIFO, a device or a huge file is refused with its reason, at once.
TEST(VcgTool, SpecialAndHugeFilesAreRefusedWithTheirReason) {
  TempDir t;
  ASSERT_EQ(::mkfifo(t.Host("fifo.vcg").c_str(), 0644), 0);
  t.Write("big.vcg", "VERSION = 4.0\r\n");
  ASSERT_EQ(::truncate(t.Host("big.vcg").c_str(), 17 * 1024 * 1024), 0);
  struct Case {
    std::string word, file, reason;
  } cases[] = {
      {"show", "fifo.vcg", "fifo.vcg: not a regular file"},
      {"show", "/dev/zero", "/dev/zero: not a regular file"},
      {"show", "big.vcg", "big.vcg: larger than 16 MB"},
      {"driver", "fifo.vcg", "fifo.vcg: not a regular file"},
      {"rewrite", "big.vcg", "big.vcg: larger than 16 MB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word + " " + c.file);
    auto r = RunTool({"vcg", c.word, c.file}, t.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("tandrix: cannot read " + c.reason), std::string::npos) << r.err;
  }
}

// The picture names each axis's joystick axis and factor (axis times
// master) as the driver applies them, and marks a group the filter drops.
TEST(VcgTool, CurvesDrawAllEightAxes) {
  TempDir t;
  struct Case {
    const char* file;
    std::vector<std::string> titles;
  } cases[] = {
      {"/defaults/Joy3D.vcg", {"TX \u2192 Z  \u00d70.52<", "RY \u2192 R  \u00d70.40<", "TV (vector length)"}},
      {"/games/quake.vcg", {"TZ \u2192 Y  \u00d70.85<", "RX \u2192 Z  \u00d70.75 (filtered out)<"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    auto r = RunTool({"curves", kProduct + c.file, "--svg", "out.svg"}, t.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string svg = t.Read("out.svg");
    for (const std::string& title : c.titles) EXPECT_NE(svg.find(title), std::string::npos) << title;
    std::size_t curves = 0;
    for (std::size_t at = svg.find("stroke=\"#c03\""); at != std::string::npos; at = svg.find("stroke=\"#c03\"", at + 1)) ++curves;
    EXPECT_EQ(curves, 8u);
  }
}

}  // namespace
