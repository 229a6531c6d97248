#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/profile.h"
#include "support/tempdir.h"

namespace {

using testsupport::TempDir;

// Two programs (the monitor and the customizer, say) writing different
// sections of one file at the same moment lose nothing, and a program
// reading it meanwhile always finds a whole file.
TEST(Profile, ConcurrentWritersLoseNoKeyAndReadersSeeWholeFiles) {
  TempDir t;
  t.Write("shared.ini", "[Base]\r\nSentinel=here\r\n");
  const std::string file = t.Host("shared.ini");
  constexpr int kKeys = 300;
  auto spawn = [](auto body) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(body() ? 0 : 1);
    return pid;
  };
  auto writer = [&](const char* section) {
    return spawn([&, section] {
      for (int i = 1; i <= kKeys; ++i) {
        if (!platform::WritePrivateProfileString(section, "K" + std::to_string(i), "v", file)) {
          return false;
        }
      }
      return true;
    });
  };
  pid_t a = writer("A");
  pid_t b = writer("B");
  // Each writer adds its keys in order, so a reader sees a growing prefix.
  pid_t reader = spawn([&] {
    int seenA = 0;
    for (int round = 0; round < 400 && seenA < kKeys; ++round) {
      platform::PrivateProfile ini(file);
      if (!ini.Readable() || ini.GetString("Base", "Sentinel", "", 80) != "here") return false;
      int n = 0;
      while (n < kKeys && ini.GetString("A", "K" + std::to_string(n + 1), "", 80) == "v") ++n;
      if (n < seenA) return false;
      seenA = n;
    }
    return true;
  });
  for (pid_t pid : {a, b, reader}) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child " << pid;
  }
  platform::PrivateProfile ini(file);
  int found = 0;
  for (const char* section : {"A", "B"}) {
    for (int i = 1; i <= kKeys; ++i) found += ini.GetString(section, "K" + std::to_string(i), "", 8) == "v";
  }
  EXPECT_EQ(found, 2 * kKeys);
}

}  // namespace
