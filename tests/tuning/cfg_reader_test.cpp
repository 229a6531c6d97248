// Reading .vcg files into the full record and the customizer's view: the
// rule of every key for missing and malformed values, and bad input.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/tempdir.h"
#include "tuning/mva_config.h"

namespace {

using namespace std::string_literals;

const std::string kHead = "VERSION = 4.0\n";

class CfgReader : public ::testing::Test {
 protected:
  int Read(const std::string& text, MVA_CfgRecord& r) {
    dir_.Write("t.vcg", text);
    return MVA_ReadCfgFile(r, 0, dir_.Host("t.vcg"));
  }
  MVA_CfgRecord Read(const std::string& text) {
    MVA_CfgRecord r;
    EXPECT_EQ(Read(text, r), 0);
    return r;
  }
  MVA_UserSettings User(const std::string& text) {
    dir_.Write("u.vcg", text);
    MVA_UserSettings s;
    EXPECT_EQ(MVA_ReadUserSettings(s, dir_.Host("u.vcg")), 0);
    return s;
  }
  testsupport::TempDir dir_;
};

std::string Points(int n) {
  std::string s = "{\n";
  for (int i = 0; i < n; ++i) {
    s += "  { " + std::to_string(i * 10) + ".0, " + std::to_string(i) + ".5 }";
    s += i + 1 < n ? ",\n" : "\n";
  }
  return s + "}\n";
}

std::string Masks(int n) {
  std::string s = "BUTTON_MASKS = {\n";
  for (int i = 0; i < n; ++i) {
    s += "  { M" + std::to_string(i) + ", 0x" + std::to_string(i) + " }";
    s += i + 1 < n ? ",\n" : "\n";
  }
  return s + "}\n";
}

TEST_F(CfgReader, Version) {
  struct Case {
    const char* line;
    int rc;
    int major;
    int minor;
  };
  const Case cases[] = {
      {"VERSION = 4.0\n", 0, 4, 0},   {"VERSION = 5.1\n", 0, 5, 1},
      {"version=4.12\n", 0, 4, 12},   {"VERSION = 3.9\n", -3, 3, 9},
      {"VERSION = 4\n", -3, 0, 0},    {"VERSION = four\n", -3, 0, 0},
      {"; no version\n", -3, 0, 0},   {"VERSION = 99999999999.1\n", 0, INT32_MAX, 1},
  };
  for (const Case& c : cases) {
    MVA_CfgRecord r;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Read(c.line, r), c.rc) << c.line;
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(r.versionMajor, c.major) << c.line;
    EXPECT_EQ(r.versionMinor, c.minor) << c.line;
    if (c.rc == -3) {
      EXPECT_EQ(err, "Error:  old file version " + std::to_string(c.major) + ".\n");
      EXPECT_EQ(r.devicePresent, 0) << "nothing after the version is read";
    }

    dir_.Write("u.vcg", c.line);
    MVA_UserSettings s;
    EXPECT_EQ(MVA_ReadUserSettings(s, dir_.Host("u.vcg")), c.rc == 0 ? 0 : -2) << c.line;
  }
}

TEST_F(CfgReader, MissingFile) {
  MVA_CfgRecord r;
  r.sf = 42;
  ::testing::internal::CaptureStderr();
  std::string path = dir_.Host("none.vcg");
  EXPECT_EQ(MVA_ReadCfgFile(r, 0, path), -2);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error opening file " + path + ".\n");
  EXPECT_EQ(r.sf, 42);

  MVA_UserSettings s;
  s.level = 2;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MVA_ReadUserSettings(s, path), -1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(s.level, 2);
}

TEST_F(CfgReader, GlobalScalars) {
  struct Case {
    const char* name;
    std::string text;
    std::function<void(const MVA_CfgRecord&)> check;
  };
  const Case cases[] = {
      {"tokens in lower case", "level = expert\nORIENTATION = vertical\nTYPE = windows\n",
       [](const MVA_CfgRecord& r) {
         EXPECT_EQ(r.level, 2);
         EXPECT_EQ(r.orientation, 1);
         EXPECT_EQ(r.type, 1);
       }},
      {"unknown and missing tokens are 0", "ORIENTATION = sideways\nOWNER = someone\n",
       [](const MVA_CfgRecord& r) {
         EXPECT_EQ(r.orientation, 0);
         EXPECT_EQ(r.owner, 0);
         EXPECT_EQ(r.level, 0);
       }},
      {"quoted name", "APPLICATION_NAME = \"Quake\" v1\n",
       [](const MVA_CfgRecord& r) { EXPECT_EQ(r.applicationName, "Quake"); }},
      {"name cut at 23", "APPLICATION_NAME = " + std::string(30, 'n') + "\n",
       [](const MVA_CfgRecord& r) { EXPECT_EQ(r.applicationName, std::string(23, 'n')); }},
      {"labels keep case, cut at 35",
       "TX_LABEL = Strafe left/right\nRZ_LABEL = " + std::string(40, 'L') + "\n",
       [](const MVA_CfgRecord& r) {
         EXPECT_EQ(r.axisLabels[0], "Strafe left/right");
         EXPECT_EQ(r.axisLabels[1], "");
         EXPECT_EQ(r.axisLabels[5], std::string(35, 'L'));
       }},
      {"maps: six kept, bad letters shown as -",
       "AXIS_MAP_HRZ_DFLT = XYZRUVXY\nAXIS_MAP_VRT_DFLT = XYZ\nAXIS_MAP_HRZ_USER = xY1RuV\n",
       [](const MVA_CfgRecord& r) {
         EXPECT_EQ(r.axisMaps[0], "XYZRUV");
         EXPECT_EQ(r.axisMaps[1], "XYZ");
         EXPECT_EQ(r.axisMaps[2], "xY-RuV");
         EXPECT_EQ(r.axisMaps[3], "") << "a missing map is left as it was";
       }},
      {"application values; missing and malformed read as 0",
       "TX_MINIMUM = -32768\nTZ_FAST_BACKWARD = 12.5\nRY_SLOW_LEFT = abc\n",
       [](const MVA_CfgRecord& r) {
         EXPECT_EQ(r.appValues[0][0], -32768.0f);
         EXPECT_EQ(r.appValues[2][8], 12.5f);
         EXPECT_EQ(r.appValues[4][6], 0.0f);
         EXPECT_EQ(r.appValues[1][1], 0.0f);
       }},
      {"valid flags begin with TRUE", "VALID_MASKS = true\nVALID_NUMBERS = TRUEISH\n",
       [](const MVA_CfgRecord& r) {
         EXPECT_EQ(r.validMasks, 1);
         EXPECT_EQ(r.validNumbers, 1);
         EXPECT_EQ(r.validCharacters, 0);
       }},
      {"device present even without a section", "",
       [](const MVA_CfgRecord& r) {
         EXPECT_EQ(r.devicePresent, 1);
         EXPECT_EQ(r.sf, 0);
         EXPECT_EQ(r.sens[0][0], 1.0f);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.check(Read(kHead + c.text));
  }
}

TEST_F(CfgReader, DeviceSection) {
  struct Case {
    const char* name;
    std::string text;
    std::function<void(const MVA_CfgRecord&)> check;
  };
  const Case cases[] = {
      {"device keys before the section are not read",
       "SF = 9\nHPFM_BEG = { ON, OFF, OFF }\n[HARRIER_1]\nSF = 2\n",
       [](const MVA_CfgRecord& r) {
         EXPECT_EQ(r.sf, 2);
         EXPECT_EQ(r.hpfm[0], 0);
       }},
      {"curve limits: 2*SF+1 for the axes, SF+1 for the vectors",
       "[HARRIER_1]\nSF = 5\nTX = " + Points(12) + "TV = " + Points(12),
       [](const MVA_CfgRecord& r) {
         EXPECT_EQ(r.axes[0].pointCount(), 11);
         EXPECT_EQ(r.axes[0].segmentCount(), 10);
         EXPECT_EQ(r.axes[6].pointCount(), 6);
         EXPECT_EQ(r.axes[0].points[3].x, 30.0f);
         EXPECT_EQ(r.axes[0].points[3].y, 3.5f);
       }},
      {"a curve without points is the identity",
       "[HARRIER_1]\nSF = 5\nTY = 12\nRX = { }\n",
       [](const MVA_CfgRecord& r) {
         for (int a : {0, 1, 3}) {
           EXPECT_EQ(r.axes[a].pointCount(), 0);
           ASSERT_EQ(r.axes[a].segmentCount(), 1);
           EXPECT_EQ(r.axes[a].segments[0], MVA_IdentitySegment());
         }
       }},
      {"negative SF reads no point", "[HARRIER_1]\nSF = -3\nTX = " + Points(3),
       [](const MVA_CfgRecord& r) { EXPECT_EQ(r.axes[0].pointCount(), 0); }},
      {"reading stops at an empty item; short points read as 0",
       "[HARRIER_1]\nSF = 5\nTX = { { 1 }, { 2, 3 }, { }, { 4, 5 } }\nTY = { { 1, 2, }, { 3, 4 } }\n",
       [](const MVA_CfgRecord& r) {
         ASSERT_EQ(r.axes[0].pointCount(), 2);
         EXPECT_EQ(r.axes[0].points[0], (MVA_CurvePoint{1.0f, 0.0f}));
         EXPECT_EQ(r.axes[1].pointCount(), 2);
       }},
      {"TXTR is not the TX curve",
       "[HARRIER_1]\nSF = 2\nTXTR = { 0.5, 1.5, 1, 2, 3 }\nTX = { { -5, -6 } }\n",
       [](const MVA_CfgRecord& r) {
         ASSERT_EQ(r.axes[0].pointCount(), 1);
         EXPECT_EQ(r.axes[0].points[0].x, -5.0f);
         EXPECT_EQ(r.tr[7].reals, (std::array<float, 2>{0.5f, 1.5f}));
         EXPECT_EQ(r.tr[7].ints, (std::array<int32_t, 3>{1, 2, 3}));
       }},
      {"short TR group and CP rows; missing CP rows keep their value",
       "[HARRIER_1]\nAVIR = { 2.5 }\nRVCP = { { 1, 2, 3 }, { 4, 5, 6, 7, 8 } }\n",
       [](const MVA_CfgRecord& r) {
         EXPECT_EQ(r.tr[8].reals[0], 2.5f);
         EXPECT_EQ(r.tr[8].ints[2], 0);
         EXPECT_EQ(r.cp[0].column[2][0], 3.0f);
         EXPECT_EQ(r.cp[0].column[4][0], 0.0f);
         EXPECT_EQ(r.cp[0].column[4][1], 8.0f);
         EXPECT_EQ(r.cp[0].column[0][2], 0.0f);
       }},
      {"filter masks", "[HARRIER_1]\nHPFM_BEG = { ON, ON, ON }\nHPFM_INT = { off, on, On }\n"
                       "HPFM_EXP = { OFF, ON }\n",
       [](const MVA_CfgRecord& r) {
         EXPECT_EQ(r.hpfm[0], 1) << "axis filter alone";
         EXPECT_EQ(r.hpfm[1], 6);
         EXPECT_EQ(r.hpfm[2], 2);
       }},
      {"sensitivities", "[HARRIER_1]\n"
                        "SENS_BEG_DFLT = { 1, 2, 3, 4, 5, 6 }\n"
                        "SENS_INT_DFLT = { 0.5, -1, 1, 1, 1, 1, 2 }\n"
                        "SENS_EXP_DFLT = { 1, 1, 1, 1, 1, 1, 1, 1 }\n"
                        "SENS_BEG_USER = { 1, 1, 1, x, 1, 1, 1 }\n"
                        "SENS_INT_USER = { 1, 1, 1, 1, 1, 1, }\n",
       [](const MVA_CfgRecord& r) {
         std::array<float, 7> ones;
         ones.fill(1.0f);
         EXPECT_EQ(r.sens[0], ones) << "six numbers";
         EXPECT_EQ(r.sens[1], (std::array<float, 7>{0.5f, 0.0f, 1, 1, 1, 1, 2}));
         EXPECT_EQ(r.sens[2], ones) << "eight numbers";
         EXPECT_EQ(r.sens[3], ones) << "not a number";
         EXPECT_EQ(r.sens[4], ones) << "empty seventh";
         EXPECT_EQ(r.sens[5], ones) << "missing";
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.check(Read(kHead + c.text));
  }
}

TEST_F(CfgReader, MasksButtonsAndFunctions) {
  const std::string text = kHead +
                           "BUTTON_MASKS = {\n"
                           "  { Fire, 0x1 },\n  { Jump_High, 0X00ff },\n  { Jump, 20 },\n"
                           "  { " + std::string(30, 'W') + ", 0x123456789 },\n  { Odd }\n}\n"
                           "[HARRIER_1]\n"
                           "BUTTON_A_DFLT = Fire\nBUTTON_B_DFLT = fire\nBUTTON_C_DFLT = Jump\n"
                           "BUTTON_D_DFLT =\nBUTTON_E_DFLT = " + std::string(30, 'W') + "\n"
                           "TX+ = jump\nTX+R = FIRE\nTY- =\nRZ-R = 0X1\n";
  MVA_CfgRecord r = Read(text);
  ASSERT_EQ(r.buttonMaskCount(), 5);
  EXPECT_EQ(r.buttonMasks[0], (MVA_ButtonMask{"Fire", 1}));
  EXPECT_EQ(r.buttonMasks[1], (MVA_ButtonMask{"Jump_High", 0xff}));
  EXPECT_EQ(r.buttonMasks[2], (MVA_ButtonMask{"Jump", 0x20}));
  EXPECT_EQ(r.buttonMasks[3], (MVA_ButtonMask{std::string(23, 'W'), 0xFFFFFFFFu}));
  EXPECT_EQ(r.buttonMasks[4], (MVA_ButtonMask{"Odd", 0}));

  EXPECT_EQ(r.buttonMapsDflt[0].indices, std::vector<int32_t>{0});
  EXPECT_EQ(r.buttonMapsDflt[1].count(), 0) << "names compare with case";
  EXPECT_EQ(r.buttonMapsDflt[2].indices, std::vector<int32_t>{2});
  EXPECT_EQ(r.buttonMapsDflt[3].count(), 0);
  EXPECT_EQ(r.buttonMapsDflt[4].indices, std::vector<int32_t>{3}) << "compared before the cut";
  EXPECT_EQ(r.buttonMapsDflt[5].count(), 0);

  // TX+ is looked up first and also matches the TX+R line if that came first;
  // here it does not. JUMP is found inside JUMP_HIGH, the earlier item.
  EXPECT_EQ(r.functionMasks[0], (MVA_FunctionMask{1, 1}));
  EXPECT_EQ(r.functionMasks[2], (MVA_FunctionMask{1, 0}));
  EXPECT_EQ(r.functionMasks[5].present, 0) << "empty value";
  EXPECT_EQ(r.functionMasks[23], (MVA_FunctionMask{1, 0})) << "the mask text is searched too";
  EXPECT_EQ(r.functionMasks[1].present, 0);
}

TEST_F(CfgReader, ButtonKeysMissingKeepTheirMaps) {
  MVA_CfgRecord r;
  r.buttonMapsUser[1].indices = {0};
  r.buttonMapsUser[2].indices = {0};
  ASSERT_EQ(Read(kHead + Masks(2) + "[HARRIER_1]\nBUTTON_C_USER = nothing\n", r), 0);
  EXPECT_EQ(r.buttonMapsUser[1].indices, std::vector<int32_t>{0});
  EXPECT_EQ(r.buttonMapsUser[2].count(), 0);
}

TEST_F(CfgReader, OnlyKeptMasksCanBeSelected) {
  // 90 masks: the record keeps 80, so a button or a function naming mask
  // 85 has nothing to point at.
  MVA_CfgRecord r = Read(kHead + Masks(90) +
                         "[HARRIER_1]\nBUTTON_A_USER = M85\nBUTTON_B_USER = M79\nRY+ = M85\n");
  EXPECT_EQ(r.buttonMaskCount(), 80);
  EXPECT_EQ(r.buttonMapsUser[0].count(), 0);
  EXPECT_EQ(r.buttonMapsUser[1].indices, std::vector<int32_t>{79});
  EXPECT_EQ(r.functionMasks[16].present, 0);

  MVA_UserSettings s = User(kHead + Masks(120) + "[HARRIER_1]\nBUTTON_A_USER = M85\n");
  EXPECT_EQ(s.maskCount(), 100);
  EXPECT_EQ(s.buttonUser[0], 85);
}

TEST_F(CfgReader, UserSettings) {
  const std::string text = kHead +
                           "APPLICATION_NAME = \"Duke Nukem 3D\"\n"
                           "OWNER = user\nTYPE = DOS\nLEVEL = intermediate\nORIENTATION = Advanced\n"
                           "TY_LABEL = Look up/down\n"
                           "AXIS_MAP_HRZ_DFLT = xYZRUV\nAXIS_MAP_VRT_USER = XZY\n"
                           "BUTTON_MASKS = {\n { Fire_Gun, 0x1 },\n { Open, 0x2 },\n { Fire_Gun, 0x4 }\n}\n"
                           "[HARRIER_1]\n"
                           "HPFM_EXP = { OFF, ON, ON }\n"
                           "SENS_BEG_DFLT = { 0.57, 1, 1, 1, 1, 1, 2 }\n"
                           "SENS_INT_USER = { 1.234, -2, 0, 1, 1, 1, 0.004 }\n"
                           "BUTTON_A_DFLT = Fire_Gun\nBUTTON_B_DFLT = Fire Gun\nBUTTON_F_USER = Open\n";
  MVA_UserSettings s = User(text);
  EXPECT_EQ(s.owner, 1);
  EXPECT_EQ(s.type, 0);
  EXPECT_EQ(s.level, 1);
  EXPECT_EQ(s.orientation, 2);
  EXPECT_EQ(s.applicationName, "\"Duke Nukem 3D\"");
  EXPECT_EQ(s.axisLabels[1], "Look up/down");
  EXPECT_EQ(s.axisMaps[0].source, (std::array<uint8_t, 6>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(s.axisMaps[0].reversed, (std::array<uint8_t, 6>{1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(s.axisMaps[3].source, (std::array<uint8_t, 6>{0, 2, 1, 3, 4, 5}));
  EXPECT_EQ(s.axisMaps[4], MVA_UserAxisMap{}) << "missing map";
  EXPECT_EQ(s.hpfm, (std::array<int32_t, 3>{0, 0, 6}));
  EXPECT_EQ(s.sens[0], (std::array<int32_t, 7>{200, 57, 100, 100, 100, 100, 100}));
  EXPECT_EQ(s.sens[4], (std::array<int32_t, 7>{0, 123, 0, 0, 100, 100, 100}));
  EXPECT_EQ(s.sens[5], (std::array<int32_t, 7>{100, 100, 100, 100, 100, 100, 100}));
  EXPECT_EQ(s.maskNames, (std::vector<std::string>{"Fire Gun", "Open", "Fire Gun"}));
  EXPECT_EQ(s.buttonDflt, (std::array<int32_t, 6>{0, 255, 255, 255, 255, 255}));
  EXPECT_EQ(s.buttonUser, (std::array<int32_t, 6>{255, 255, 255, 255, 255, 1}));
}

TEST_F(CfgReader, BadInputReadsWithoutHarm) {
  struct Case {
    const char* name;
    std::string text;
  };
  std::string hugeList = kHead + "[HARRIER_1]\nSF = 100000\nTX = {\n";
  for (int i = 0; i < 100000; ++i) hugeList += "{ " + std::to_string(i) + ", 1 },";
  hugeList += "}\nBUTTON_MASKS = {" + Masks(100000).substr(16);
  const Case cases[] = {
      {"NUL bytes", kHead + "[HARRIER_1]\0\nSF = 2\0\nTX = { {\0 1, 2 } }\n"s},
      {"10,000-character lines",
       kHead + "APPLICATION_NAME = " + std::string(10000, 'a') + "\n[HARRIER_1]\nTX = { { " +
           std::string(10000, '1') + ", 2 } }\nSENS_BEG_USER = {" + std::string(10000, ' ') + "}\n"},
      {"unbalanced braces", kHead + "[HARRIER_1]\nSF = 3\nTX = { { 1, 2 } } } }\nTY = { { {\n"
                                    "RVCP = }}}{\nHPFM_BEG = {\nBUTTON_MASKS = { {"},
      {"a list of 100,000 items", hugeList},
      {"only the section line", "[HARRIER_1"},
      {"version then the section line", kHead + "[HARRIER_1"},
      {"extreme numbers", kHead + "TX_ZERO = 1e999\nTY_ZERO = -1e999\nTZ_ZERO = 1e-999\n"
                                  "[HARRIER_1]\nSF = 99999999999\nTX = { { 1e39, -1e39 }, { -1e39, 1e39 } }\n"
                                  "SENS_BEG_USER = { nan, inf, 1, 1, 1, 1, 1 }\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MVA_CfgRecord r;
    ::testing::internal::CaptureStderr();
    int rc = Read(c.text, r);
    ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(rc == 0 || rc == -3);
    dir_.Write("u.vcg", c.text);
    MVA_UserSettings s;
    int urc = MVA_ReadUserSettings(s, dir_.Host("u.vcg"));
    EXPECT_TRUE(urc == 0 || urc == -2);
  }

  MVA_CfgRecord big = Read(hugeList);
  EXPECT_EQ(big.axes[0].pointCount(), 100000);
  EXPECT_EQ(big.buttonMaskCount(), 80);

  MVA_CfgRecord extreme = Read(cases[6].text);
  EXPECT_EQ(extreme.appValues[0][1], 3.4028234663852886e38f);
  EXPECT_EQ(extreme.appValues[1][1], -3.4028234663852886e38f);
  EXPECT_EQ(extreme.appValues[2][1], 0.0f);
  EXPECT_EQ(extreme.sf, INT32_MAX);
  EXPECT_EQ(extreme.axes[0].pointCount(), 2);
  EXPECT_EQ(extreme.sens[0][0], 1.0f) << "nan is not a number";
}

}  // namespace
