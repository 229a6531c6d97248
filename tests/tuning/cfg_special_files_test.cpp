// The .vcg readers given what is not a configuration file: a FIFO (which
// would block a reader that waits for a writer), a device, a huge file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"
#include "support/tempdir.h"
#include "tuning/mva_config.h"
#include "tuning/mva_driver_view.h"

namespace {

TEST(CfgReaders, RefuseSpecialAndHugeFilesWithAnErrorCode) {
  testsupport::TempDir t;
  ASSERT_EQ(::mkfifo(t.Host("fifo.vcg").c_str(), 0644), 0);
  t.Write("big.vcg", "VERSION = 4.0\r\n");
  ASSERT_EQ(::truncate(t.Host("big.vcg").c_str(), platform::kMaxFileBytes + 1), 0);
  for (const std::string& path : {t.Host("fifo.vcg"), std::string("/dev/zero"), t.Host("big.vcg")}) {
    SCOPED_TRACE(path);
    MVA_CfgRecord record;
    EXPECT_EQ(MVA_ReadCfgFile(record, 0, path), -2);
    MVA_UserSettings settings;
    EXPECT_EQ(MVA_ReadUserSettings(settings, path), -1);
    MVA_DriverCfg driver;
    EXPECT_EQ(MVA_ReadDriverCfg(driver, 0, path), 2);
    MVA_FreeDriverCfg(driver);
  }
}

}  // namespace
