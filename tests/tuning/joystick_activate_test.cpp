// Making a configuration live: every byte written, the order of the calls
// around the driver, and what happens when something is missing.
#include <gtest/gtest.h>

#include "joystick_fixture.h"
#include "platform/dospath.h"
#include "support/tempdir.h"
#include "tuning/mva_driver_view.h"
#include "tuning/mva_joystick.h"

namespace {

using namespace joytest;
using testsupport::ScopedCwd;
using testsupport::TempDir;

// LEVEL INTERMEDIATE selects HPFM_INT and SENS_INT_USER, ORIENTATION
// VERTICAL the vertical user map. TZ, RX, RY and RZ have no curve and get
// the identity segment.
const char* const kByteTest =
    "VERSION = 4.7\n"
    "APPLICATION_NAME = Byte Test\n"
    "LEVEL = INTERMEDIATE\n"
    "ORIENTATION = VERTICAL\n"
    "AXIS_MAP_HRZ_USER = XYZRUV\n"
    "AXIS_MAP_VRT_USER = XzYRvU\n"
    "\n"
    "[HARRIER_1]\n"
    "HPFM_BEG = { ON, OFF, OFF }\n"
    "HPFM_INT = { OFF, ON, ON }\n"
    "HPFM_EXP = { OFF, ON, OFF }\n"
    "SENS_BEG_USER = { 1.00, 1.00, 1.00, 1.00, 1.00, 1.00, 1.00 }\n"
    "SENS_INT_USER = { 0.80, 0.90, 1.00, 1.10, 1.20, 1.30, 2.50 }\n"
    "SF = 2\n"
    "TX = { { -512, -100 }, { 0, 0 }, { 512, 100 } }\n"
    "TY = { { -512, 256 }, { 512, -256 } }\n"
    "TV = { { 0, 0 }, { 16, 16 } }\n"
    "RV = { { 2, 2 }, { 4, 4 } }\n";

// An axis table built by hand: the count, then the four columns of 32.
Bytes Table(std::vector<std::array<std::int32_t, 4>> rows) {
  std::vector<std::int32_t> words(129, 0);
  words[0] = static_cast<std::int32_t>(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (std::size_t c = 0; c < 4; ++c) words[1 + 32 * c + i] = rows[i][c];
  }
  Bytes b;
  for (std::int32_t w : words) {
    Bytes one = Le32({w});
    b.insert(b.end(), one.begin(), one.end());
  }
  return b;
}

Bytes HwConfig() {
  Bytes b = Le32({0x1880001, 7, 6});
  Bytes min = Le32({0, 0, 0, 0, 0, 0});
  Bytes max = Le32({65535, 65535, 65535, 65535, 65535, 65535});
  Bytes centre = Le32({32767, 32767, 32767, 32767, 32767, 32767});
  Bytes tail = Le32({0, 0, 0, 0, 31, 1000, 0});
  for (const Bytes* part : {&min, &max, &centre, &tail}) b.insert(b.end(), part->begin(), part->end());
  return b;
}

TEST(JoystickActivate, WritesEveryValueByteForByte) {
  TempDir dir;
  dir.Write("byte.vcg", kByteTest);
  ScopedCwd cwd(dir.path());
  JoystickWorld w;
  w.Install(2, {1, 2, 5});  // slot 2 is the device's; slots 1, 2 and 5 have an OEM configuration

  ASSERT_EQ(MVA_ActivateCfgFile("byte.vcg"), 0);

  const Bytes identity = Table({{-33554432, 33554432, 65536, 0}});
  std::map<std::string, Bytes> device = {
      {"Joy1ConfigurationFile", Text(platform::ToDosPath(dir.path()) + "\\byte.vcg")},
      {"Joystick1Filter", Text("6")},  // translation and rotation filters
      {"Joystick1OEMcfgMode", Text("DRV")},
      {"Joystick1OEMxAxis", Table({{-33554432, 0, 12800, 0}, {0, 33554432, 12800, 0}})},
      {"Joystick1OEMyAxis", Table({{-33554432, 33554432, -32768, 0}})},
      {"Joystick1OEMzAxis", identity},
      {"Joystick1OEMrAxis", identity},
      {"Joystick1OEMuAxis", identity},
      {"Joystick1OEMvAxis", identity},
      // u = 16/x: (16, 0) and (1, 16) give k = -16/15, m = 256/15.
      {"Joystick1OEMfAxis", Table({{1048576, 65536, -69905, 1118481}})},
      // (8, 2) and (4, 4): k = -0.5, m = 6.
      {"Joystick1OEMtAxis", Table({{524288, 262144, -32768, 393216}})},
      {"Joystick1Sensitivity", Le32({52428, 58982, 65536, 72089, 78643, 85196, 163840})},
      // Every slot with an OEM configuration gets the vertical user map.
      {"Joystick1OEMConfiguration", Oem("COM1", "XzYRvU")},
      {"Joystick2OEMConfiguration", Oem("COM1", "XzYRvU")},
      {"Joystick5OEMConfiguration", Oem("COM1", "XzYRvU")},
      // The device's slot, found by its callout.
      {"Joystick2Configuration", HwConfig()},
  };
  std::map<std::string, Bytes> current = {
      {"Joystick2Configuration", HwConfig()},
      {"Joystick2OEMName", Text("Vexor")},
      {"Joystick2OEMCallout", Text("vexor.vxd")},
  };
  EXPECT_EQ(w.Dump(kDeviceKey), device);
  EXPECT_EQ(w.Dump(kCurrentKey), current);
  EXPECT_EQ(w.Get(kDeviceKey, "Joy1ConfigurationFile").size(),
            platform::ToDosPath(dir.path()).size() + 10);  // "\byte.vcg" and the zero
}

TEST(JoystickActivate, OpensTheDriverAroundTheSlotRewriteAndNotifiesThreeTimes) {
  TempDir dir;
  dir.Write("a.vcg", kByteTest);
  JoystickWorld w;
  w.Install();
  ASSERT_EQ(MVA_ActivateCfgFile(dir.Host("a.vcg")), 0);

  std::vector<std::string> calls;
  for (const auto& line : *w.log) {
    if (line.rfind("devcaps", 0) != 0) calls.push_back(line);  // asked before every key
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"open \\\\.\\VEXOR.VXD 0 0 0 67108864", "control 1",
                                             "changed 0", "changed 0", "changed 0", "control 2",
                                             "close"}));
  EXPECT_EQ(w.log->front(), "devcaps 4294967295 404");
  EXPECT_EQ(w.port->openHandles, 0);
}

TEST(JoystickActivate, EdgeCases) {
  struct Case {
    const char* what;
    std::string file;     // contents of c.vcg; empty: no such file
    bool pathGiven;
    int boundSlot;        // 0: no slot bound to the driver
    bool installed;       // the joystick keys exist
    bool driverPresent;
    int result;
    const char* filter;   // expected Joystick1Filter, null: not written
    const char* map;      // expected map of slot 1's OEM configuration
    std::vector<std::string> driverCalls;
  };
  const std::string kBadMap = "LEVEL = EXPERT\nAXIS_MAP_HRZ_USER = XYZRU\n[HARRIER_1]\nHPFM_EXP = { ON, ON, ON }\n";
  const std::string kFilter6 = "LEVEL = BEGINNER\n[HARRIER_1]\nHPFM_BEG = { OFF, ON, ON }\n";
  const std::vector<std::string> kFull = {"open", "control 1", "control 2", "close"};
  const Case cases[] = {
      {"a map of five letters becomes the default in every slot", kBadMap, true, 1, true, true, 0,
       "1", "XYZRUV", kFull},
      {"filter mask 6 is the string 6", kFilter6, true, 1, true, true, 0, "6", "XYZRUV", kFull},
      {"no slot bound: tuning written, driver never opened", kFilter6, true, 0, true, true, -2, "6",
       "XYZRUV", {}},
      {"driver missing: values written all the same", kFilter6, true, 1, true, false, 0, "6",
       "XYZRUV", {"open"}},
      {"unreadable file: nothing written", "", true, 1, true, true, -1, nullptr, "ABCDEF", {}},
      {"no path given: nothing written", kFilter6, false, 1, true, true, -1, nullptr, "ABCDEF", {}},
      {"joystick keys not installed", kFilter6, true, 1, false, true, -2, nullptr, nullptr, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    if (!c.file.empty()) dir.Write("c.vcg", c.file);
    JoystickWorld w;
    w.port->present = c.driverPresent;
    if (c.installed) {
      w.Install(c.boundSlot, {1, 3});
      w.Set(kDeviceKey, "Joystick1OEMConfiguration", Oem("COM2", "ABCDEF"));
    }
    EXPECT_EQ(MVA_ActivateCfgFile(c.pathGiven ? dir.Host("c.vcg") : ""), c.result);

    if (c.filter) {
      EXPECT_EQ(w.Get(kDeviceKey, "Joystick1Filter"), Text(c.filter));
    } else {
      EXPECT_FALSE(w.Has(kDeviceKey, "Joystick1Filter"));
      EXPECT_FALSE(w.Has(kDeviceKey, "Joy1ConfigurationFile"));
    }
    if (c.map) {
      EXPECT_EQ(w.Get(kDeviceKey, "Joystick1OEMConfiguration"), Oem("COM2", c.map));
      if (c.filter) {
        EXPECT_EQ(w.Get(kDeviceKey, "Joystick3OEMConfiguration"), Oem("COM1", c.map));
      }
    } else {
      EXPECT_FALSE(w.HasKey(kDriverKey));
    }
    std::vector<std::string> driverCalls;
    for (const auto& line : *w.log) {
      if (line.rfind("open", 0) == 0) driverCalls.push_back("open");
      if (line.rfind("control", 0) == 0 || line == "close") driverCalls.push_back(line);
    }
    EXPECT_EQ(driverCalls, c.driverCalls);
    if (c.result == -2 || c.result == -1) {
      EXPECT_EQ(w.service->configChangedCount, 0);
    }
  }
}

// A store that stops taking writes halfway must not be reported as a live
// configuration.
TEST(JoystickActivate, AStoreThatFailsAWriteIsReportedAsNotApplied) {
  TempDir dir;
  dir.Write("c.vcg", kByteTest);
  for (int allowed : {0, 1, 5, 12, 14, 15, 16}) {
    SCOPED_TRACE(allowed);
    auto* failing = new FailingRegistry(platform::NewMemoryRegistry());
    JoystickWorld w{std::unique_ptr<platform::Registry>(failing)};
    w.Install();
    failing->writes = 0;
    failing->writesBeforeFailure = allowed;
    const auto before = w.Dump(kDriverKey);
    MVA_ActivateError why;
    EXPECT_EQ(MVA_ActivateCfgFile(dir.Host("c.vcg"), &why), -1);
    EXPECT_EQ(why.kind, MVA_ActivateError::kStore);
    EXPECT_EQ(why.storeStatus, platform::kRegIoFailed);
    EXPECT_EQ(w.port->openHandles, 0);  // the driver never stays open
    // The thirteen tuning values go together: none of them, or all.
    if (allowed < 13) {
      EXPECT_EQ(w.Dump(kDriverKey), before);
    }
  }
}

TEST(JoystickActivate, ReplacesAShortOrLongSlotConfigurationWithTheWholeRecord) {
  TempDir dir;
  dir.Write("c.vcg", kByteTest);
  for (std::size_t oldSize : {std::size_t{0}, std::size_t{10}, std::size_t{200}}) {
    SCOPED_TRACE(oldSize);
    JoystickWorld w;
    w.Install();
    w.Set(kCurrentKey, "Joystick1Configuration", Bytes(oldSize, 0xAB));
    w.Set(kDeviceKey, "Joystick1Configuration", Bytes(oldSize, 0xAB));
    ASSERT_EQ(MVA_ActivateCfgFile(dir.Host("c.vcg")), 0);
    EXPECT_EQ(w.Get(kCurrentKey, "Joystick1Configuration"), HwConfig());
    EXPECT_EQ(w.Get(kDeviceKey, "Joystick1Configuration"), HwConfig());
  }
}

TEST(JoystickApply, WritesTheTuningOfTheSlotAskedForAndLeavesTheView) {
  TempDir dir;
  dir.Write("c.vcg", kByteTest);
  JoystickWorld w;
  w.Install(0, {});
  MVA_DriverCfg cfg;
  EXPECT_EQ(MVA_ApplyCfgFile(cfg, dir.Host("c.vcg"), 6), 0);
  EXPECT_EQ(cfg.axisMap, "XzYRvU");
  EXPECT_EQ(cfg.hpfm, 6);
  EXPECT_EQ(w.Get(kDeviceKey, "Joystick7Filter"), Text("6"));
  EXPECT_TRUE(w.Has(kDeviceKey, "Joy7ConfigurationFile"));
  EXPECT_FALSE(w.Has(kDeviceKey, "Joystick1Filter"));
  MVA_FreeDriverCfg(cfg);

  for (int bad : {-1, 16}) EXPECT_EQ(MVA_ApplyCfgFile(cfg, dir.Host("c.vcg"), bad), 1);
  MVA_FreeDriverCfg(cfg);

  // A path longer than the driver's buffer holds is refused whole.
  std::string deep = dir.path();
  while (deep.size() < 300) deep += "/subfolder";
  dir.Write(deep.substr(dir.path().size() + 1) + "/c.vcg", kByteTest);
  JoystickWorld fresh;
  fresh.Install();
  EXPECT_EQ(MVA_ActivateCfgFile(deep + "/c.vcg"), -1);
  EXPECT_FALSE(fresh.Has(kDeviceKey, "Joystick1Filter"));
}

TEST(JoystickApply, RecordsTheFullPathOfTheFile) {
  TempDir dir;
  dir.Write("sub/c.vcg", kByteTest);
  ScopedCwd cwd(dir.Host("sub"));
  const std::string base = platform::ToDosPath(dir.path());
  struct Case {
    std::string given;
    std::string recorded;
  };
  const Case cases[] = {
      {"c.vcg", base + "\\sub\\c.vcg"},
      {".\\c.vcg", base + "\\sub\\c.vcg"},
      {"..\\sub\\.\\c.vcg", base + "\\sub\\c.vcg"},
      {base + "\\sub\\c.vcg", base + "\\sub\\c.vcg"},
      {base + "/sub//c.vcg", base + "\\sub\\c.vcg"},
      {dir.Host("sub/c.vcg"), base + "\\sub\\c.vcg"},
      // Spelled as on disk, whatever case the name was given in.
      {"..\\SUB\\C.VCG", base + "\\sub\\c.vcg"},
  };
  for (const auto& c : cases) {
    JoystickWorld w;
    w.Install();
    ASSERT_EQ(MVA_ActivateCfgFile(c.given), 0) << c.given;
    EXPECT_EQ(w.Get(kDeviceKey, "Joy1ConfigurationFile"), Text(c.recorded)) << c.given;
  }
}

}  // namespace
