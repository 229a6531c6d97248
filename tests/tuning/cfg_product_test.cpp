// The installation's stock configurations: each reads, round-trips through
// the writer unchanged, and carries what the programs rely on.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/fileops.h"
#include "support/tempdir.h"
#include "tuning/mva_config.h"
#include "tuning/mva_driver_view.h"

namespace {

const std::string kProduct = TANDRIX_PRODUCT_DIR;

std::vector<std::string> StockFiles() {
  return {kProduct + "/defaults/Generic.vcg", kProduct + "/defaults/Joy2D.vcg",
          kProduct + "/defaults/Joy3D.vcg",   kProduct + "/defaults/config.dft",
          kProduct + "/games/quake.vcg",      kProduct + "/games/duke3d.vcg"};
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string WithoutDateLine(const std::string& text) {
  std::size_t at = text.find("; This file created by MVA_WriteCfgFile on: ");
  if (at == std::string::npos) return text;
  return text.substr(0, at) + text.substr(text.find('\n', at) + 1);
}

TEST(CfgProduct, EveryStockFileRoundTripsAndRewritesToItself) {
  testsupport::TempDir dir;
  for (const std::string& path : StockFiles()) {
    SCOPED_TRACE(path);
    MVA_CfgRecord r;
    ASSERT_EQ(MVA_ReadCfgFile(r, 0, path), 0);
    ASSERT_EQ(MVA_WriteCfgFile(r, dir.Host("out.vcg")), 0);
    MVA_CfgRecord back;
    ASSERT_EQ(MVA_ReadCfgFile(back, 0, dir.Host("out.vcg")), 0);
    EXPECT_EQ(back, r);
    EXPECT_EQ(WithoutDateLine(Bytes(dir.Host("out.vcg"))), WithoutDateLine(Bytes(path)));
  }
}

TEST(CfgProduct, StockContents) {
  struct Case {
    const char* file;
    int type;
    int labels;
  };
  const Case cases[] = {
      {"/defaults/Generic.vcg", MVA_WINDOWS, 6}, {"/defaults/Joy2D.vcg", MVA_WINDOWS, 2},
      {"/defaults/Joy3D.vcg", MVA_WINDOWS, 3},   {"/defaults/config.dft", MVA_WINDOWS, 6},
      {"/games/quake.vcg", MVA_DOS, 5},          {"/games/duke3d.vcg", MVA_DOS, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    MVA_CfgRecord r;
    ASSERT_EQ(MVA_ReadCfgFile(r, 0, kProduct + c.file), 0);
    EXPECT_EQ(r.versionMajor, 4);
    EXPECT_EQ(r.type, c.type);
    int labels = 0;
    for (const auto& l : r.axisLabels) labels += l.empty() ? 0 : 1;
    EXPECT_EQ(labels, c.labels);
    for (const auto& map : r.axisMaps) EXPECT_TRUE(MVA_IsValidAxisMap(map)) << map;
    for (int a = 0; a < kMvaCurves; ++a) {
      EXPECT_GE(r.axes[a].pointCount(), 4) << a;
      EXPECT_LE(r.axes[a].pointCount(), a < kMvaAxes ? 2 * r.sf + 1 : r.sf + 1) << a;
    }
    EXPECT_GE(r.buttonMaskCount(), 4);
    for (int b = 0; b < kMvaButtons; ++b) {
      EXPECT_EQ(r.buttonMapsDflt[b].count(), 1) << b;
      EXPECT_EQ(r.buttonMapsUser[b].count(), 1) << b;
    }
    // Each level has its own sensitivities, growing from Basic to Champion.
    EXPECT_LT(r.sens[0][6], r.sens[1][6]);
    EXPECT_LT(r.sens[1][6], r.sens[2][6]);

    MVA_UserSettings s;
    EXPECT_EQ(MVA_ReadUserSettings(s, kProduct + c.file), 0);
    MVA_DriverCfg d;
    EXPECT_EQ(MVA_ReadDriverCfg(d, 0, kProduct + c.file), 0);
    EXPECT_EQ(d.axisMap, r.axisMaps[MVA_MAP_HRZ_USER + r.orientation]);
  }
}

}  // namespace
