// tandrix install, reg export / import and vcg activate, end to end against
// a registry store in a temporary folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/dospath.h"
#include "platform/registry.h"
#include "run_tool.h"
#include "support/tempdir.h"

namespace {

using testsupport::RunTool;
using testsupport::ScopedEnv;
using testsupport::TempDir;

const std::string kDevice =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\MediaResources\\Joystick\\"
    "JoystickDriver<0000>\\JoystickSettings\\Vexor";

std::string Tool(const std::vector<std::string>& args, const std::string& cwd, int expect = 0) {
  auto r = RunTool(args, cwd);
  std::string joined;
  for (const auto& a : args) joined += a + " ";
  EXPECT_EQ(r.exitCode, expect) << joined << "\n" << r.err;
  return r.out;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// "\\k\\k..." n levels deep.
std::string Levels(int n) {
  std::string path;
  for (int i = 0; i < n; ++i) path += "\\k";
  return path;
}

TEST(InstallTool, InstallThenActivateTheStockConfiguration) {
  TempDir t;
  ScopedEnv reg("TANDRIX_REGISTRY", t.Host("store/registry.db").c_str());
  ScopedEnv ports("TANDRIX_SERIAL_PORTS", "/dev/ttyS0:/dev/ttyUSB0");
  const std::string dir = t.Host("Tandrix");

  Tool({"install", dir}, t.path());
  EXPECT_TRUE(t.Exists("Tandrix/defaults/Joy3D.vcg"));
  EXPECT_TRUE(Contains(t.Read("Tandrix/Tandmon.ini"), "Customizer=Chooser"));

  EXPECT_EQ(Tool({"vcg", "activate", dir + "/defaults/Joy3D.vcg"}, t.path()), "0\n");
  const std::string out = Tool({"reg", "export"}, t.path());
  EXPECT_TRUE(Contains(out, "[" + kDevice + "]\n"));
  for (const char* value :
       {"\"Joy1ConfigurationFile\"=\"", "\"Joystick1Filter\"=\"", "\"Joystick1OEMcfgMode\"=\"DRV\"",
        "\"Joystick1OEMxAxis\"=hex:", "\"Joystick1OEMtAxis\"=hex:", "\"Joystick1Sensitivity\"=hex:",
        "\"Joystick1OEMCallout\"=\"vexor.vxd\"", "\"COM2\"=\"/dev/ttyUSB0\"",
        "\"DosInstallDirectory\"=\""}) {
    EXPECT_TRUE(Contains(out, value)) << value;
  }
  std::string dosPath = platform::ToDosPath(dir + "/defaults/Joy3D.vcg");
  std::string escaped;
  for (char c : dosPath) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
  EXPECT_TRUE(Contains(out, "\"Joy1ConfigurationFile\"=\"" + escaped + "\"")) << escaped;

  struct stat st {};
  ASSERT_EQ(::stat(t.Host("store/registry.db").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(InstallTool, RunningItTwiceKeepsTheUsersFilesAndGivesTheSameState) {
  TempDir t;
  t.Write("product/defaults/Joy3D.vcg", "stock\n");
  t.Write("product/games.ini", "[Games]\n");
  t.Write("product/Tandmon.ini", "[Defaults]\nConfig=Joy3D.vcg\n");
  ScopedEnv product("TANDRIX_PRODUCT", t.Host("product").c_str());
  ScopedEnv reg("TANDRIX_REGISTRY", t.Host("registry.db").c_str());
  ScopedEnv ports("TANDRIX_SERIAL_PORTS", "/dev/ttyS1");

  Tool({"install", "inst"}, t.path());
  const std::string first = Tool({"reg", "export"}, t.path());
  t.Write("inst/games.ini", "[Games]\nedited by the user\n");
  Tool({"install", "inst"}, t.path());
  EXPECT_EQ(Tool({"reg", "export"}, t.path()), first);
  EXPECT_EQ(t.Read("inst/games.ini"), "[Games]\nedited by the user\n");
  EXPECT_EQ(t.Read("inst/defaults/Joy3D.vcg"), "stock\n");
  EXPECT_EQ(t.Read("inst/Tandmon.ini"), "[Defaults]\nConfig=Joy3D.vcg\nCustomizer=Chooser\r\n\r\n[Registry]\r\nStore=" +
                                            t.Host("registry.db") + "\r\n");

  // The user's port and map survive; the host's ports are those of now.
  const std::string oem = "\"Joystick1OEMConfiguration\"=hex:d0,07,00,00,60,ea,00,00,ff,ff,ff,ff,ff,ff,ff,\\\n"
                          "  ff,43,4f,4d,31,00,58,59,5a,52,55,56,00";
  EXPECT_TRUE(Contains(first, oem)) << first;
  t.Write("user.reg", "REGEDIT4\n\n[" + kDevice + "]\n\"Joystick1OEMConfiguration\"=hex:d0,07,00,00,60,ea,00,00,"
                      "ff,ff,ff,ff,ff,ff,ff,ff,43,4f,4d,33,00,78,59,5a,52,55,56,00\n");
  Tool({"reg", "import", "user.reg"}, t.path());
  ScopedEnv other("TANDRIX_SERIAL_PORTS", "");
  Tool({"install", "inst"}, t.path());
  const std::string after = Tool({"reg", "export"}, t.path());
  EXPECT_TRUE(Contains(after, "43,4f,4d,33,00,78,59")) << after;
  EXPECT_FALSE(Contains(after, "\"COM1\"="));
}

// An install that runs out of room part-way (a file size limit stands in
// for a full disk) takes away everything it made, store included, and
// leaves what was there before; ten at once into one folder all succeed.
TEST(InstallTool, ItCompletesOrLeavesNothingItMade) {
  TempDir t;
  t.Write("product/defaults/Joy3D.vcg", "stock\n");
  t.Write("product/Tandmon.ini", "[Defaults]\nConfig=Joy3D.vcg\n");
  t.Write("product/support/big.dat", std::string(8192, 'b'));
  ScopedEnv product("TANDRIX_PRODUCT", t.Host("product").c_str());
  ScopedEnv reg("TANDRIX_REGISTRY", t.Host("store/registry.db").c_str());
  ScopedEnv ports("TANDRIX_SERIAL_PORTS", "");
  struct Row {
    const char* what;
    rlim_t limit;
    bool folderThere;  // the folder and a file of the user's were there before
  } rows[] = {
      {"a product file does not fit", 4096, false},
      {"a program does not fit", 65536, false},
      {"into a folder of the user's", 65536, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.folderThere) t.Write("inst/mine.txt", "the user's");
    auto r = RunTool({"install", "inst"}, t.path(), [&] {
      rlimit limit{row.limit, row.limit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "over the file size limit")) << r.err;
    EXPECT_EQ(t.Exists("inst"), row.folderThere);
    EXPECT_EQ(t.Exists("inst/defaults"), false);
    EXPECT_EQ(t.Read("inst/mine.txt"), row.folderThere ? "the user's" : "");
    EXPECT_FALSE(t.Exists("store"));
  }

  std::vector<pid_t> installs;
  for (int i = 0; i < 10; ++i) {
    pid_t pid = ::fork();
    if (pid == 0) {
      if (::chdir(t.path().c_str()) != 0) ::_exit(126);
      int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      char tool[] = TANDRIX_TOOL, install[] = "install", inst[] = "inst";
      char* argv[] = {tool, install, inst, nullptr};
      ::execv(tool, argv);
      ::_exit(127);
    }
    installs.push_back(pid);
  }
  for (pid_t pid : installs) {
    int status = -1;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  EXPECT_EQ(t.Read("inst/defaults/Joy3D.vcg"), "stock\n");
}

// A folder whose configuration paths the driver could not take is refused
// before anything is copied; one just short enough is taken.
TEST(InstallTool, RefusesAFolderTooDeepForItsConfigurationPaths) {
  TempDir t;
  t.Write("product/defaults/Generic.vcg", "stock\n");  // "\\defaults\\Generic.vcg": 21 characters
  ScopedEnv product("TANDRIX_PRODUCT", t.Host("product").c_str());
  ScopedEnv reg("TANDRIX_REGISTRY", t.Host("registry.db").c_str());
  ScopedEnv ports("TANDRIX_SERIAL_PORTS", "");
  const std::size_t base = platform::ToDosPath(t.path()).size() + 1;
  const std::string fits = std::string(255 - 21 - base, 'f');
  const std::string deep = fits + "g";
  auto r = RunTool({"install", deep}, t.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Contains(r.err, "too deep")) << r.err;
  EXPECT_TRUE(Contains(r.err, "256 characters")) << r.err;
  EXPECT_FALSE(t.Exists(deep));
  Tool({"install", fits}, t.path());
  EXPECT_TRUE(t.Exists(fits + "/defaults/Generic.vcg"));
}

TEST(RegTool, ImportAndExportGiveEveryValueBack) {
  TempDir t;
  ScopedEnv reg("TANDRIX_REGISTRY", t.Host("a.db").c_str());
  const std::string text =
      "REGEDIT4\n"
      "\n"
      "[HKEY_LOCAL_MACHINE]\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\Soft]\n"
      "@=\"default\"\n"
      "\"Bin\"=hex:00,01,ff\n"
      "\"Dw\"=dword:0001e240\n"
      "\"Empty\"=hex:\n"
      "\"Long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
      "  16,17,18,19\n"
      "\"NoZero\"=hex(1):61,62\n"
      "\"Quote \\\"q\\\"\"=\"C:\\\\dir\\\\\\\"x\\\"\"\n"
      "\"Tab\"=hex(1):61,09,62,00\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\Soft\\Sub]\n"
      "\n";
  t.Write("in.reg", text);
  Tool({"reg", "import", "in.reg"}, t.path());
  EXPECT_EQ(Tool({"reg", "export"}, t.path()), text);
  EXPECT_EQ(Tool({"reg", "export", "HKLM\\soft\\SUB"}, t.path()),
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\soft\\SUB]\n\n");

  // The export, imported into another store, exports the same again; CR LF
  // lines read as well.
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  t.Write("crlf.reg", crlf);
  ScopedEnv other("TANDRIX_REGISTRY", t.Host("b.db").c_str());
  Tool({"reg", "import", "crlf.reg"}, t.path());
  EXPECT_EQ(Tool({"reg", "export"}, t.path()), text);

  t.Write("del.reg", "REGEDIT4\n[-HKEY_LOCAL_MACHINE\\Soft\\Sub]\n[HKEY_LOCAL_MACHINE\\Soft]\n\"Bin\"=-\n\"Gone\"=-\n"
                     "[-HKEY_LOCAL_MACHINE\\Never\\There]\n");
  Tool({"reg", "import", "del.reg"}, t.path());
  const std::string left = Tool({"reg", "export"}, t.path());
  EXPECT_FALSE(Contains(left, "Sub]"));
  EXPECT_FALSE(Contains(left, "\"Bin\""));
  EXPECT_TRUE(Contains(left, "\"Dw\"=dword:0001e240"));
}

TEST(RegTool, ABadFileChangesNothingAndSaysWhere) {
  TempDir t;
  ScopedEnv reg("TANDRIX_REGISTRY", t.Host("a.db").c_str());
  t.Write("good.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"1\"\n");
  Tool({"reg", "import", "good.reg"}, t.path());
  const std::string before = Tool({"reg", "export"}, t.path());

  struct Case {
    const char* what;
    std::string text;
    const char* where;
  };
  const Case cases[] = {
      {"no header", "[HKEY_LOCAL_MACHINE\\K]\n", "bad.reg:1:"},
      {"value before a key", "REGEDIT4\n\"v\"=\"2\"\n", "bad.reg:2:"},
      {"another root", "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n", "bad.reg:2:"},
      {"odd hex", "REGEDIT4\n[HKLM\\K]\n\"v\"=\"2\"\n\"w\"=hex:1,02\n", "bad.reg:4:"},
      {"trailing comma", "REGEDIT4\n[HKLM\\K]\n\"w\"=hex:01,\n", "bad.reg:3:"},
      {"open string", "REGEDIT4\n[HKLM\\K]\n\"v\"=\"2\n", "bad.reg:3:"},
      {"long dword", "REGEDIT4\n[HKLM\\K]\n\"v\"=dword:123456789\n", "bad.reg:3:"},
      {"unknown form", "REGEDIT4\n[HKLM\\K]\n\"v\"=word:1\n", "bad.reg:3:"},
      {"empty key part", "REGEDIT4\n[HKLM\\K\\\\L]\n", "bad.reg:2:"},
      {"the root deleted", "REGEDIT4\n[-HKEY_LOCAL_MACHINE]\n", "bad.reg:2:"},
      {"unclosed key", "REGEDIT4\n[HKLM\\K\n", "bad.reg:2:"},
      {"key name over 255", "REGEDIT4\n[HKLM\\K]\n[HKLM\\" + std::string(256, 'k') + "]\n", "bad.reg:3:"},
      {"value name over 16383", "REGEDIT4\n[HKLM\\K]\n\"v\"=\"2\"\n\"" + std::string(16384, 'n') + "\"=\"1\"\n",
       "bad.reg:4:"},
      {"513 levels", "REGEDIT4\n[HKLM\\K]\n\"v\"=\"2\"\n[HKLM" + Levels(513) + "]\n", "bad.reg:4:"},
  };
  for (const auto& c : cases) {
    t.Write("bad.reg", c.text);
    auto r = RunTool({"reg", "import", "bad.reg"}, t.path());
    EXPECT_EQ(r.exitCode, 1) << c.what;
    EXPECT_TRUE(Contains(r.err, c.where)) << c.what << ": " << r.err;
    EXPECT_EQ(Tool({"reg", "export"}, t.path()), before) << c.what;
  }
  auto missing = RunTool({"reg", "export", "HKLM\\Nope"}, t.path());
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(Contains(missing.err, "no such key"));
  EXPECT_EQ(RunTool({"reg", "import", "nosuch.reg"}, t.path()).exitCode, 1);
  EXPECT_EQ(RunTool({"reg"}, t.path()).exitCode, 2);
}

// Every value type 0 .. 11 comes back with its type, in the hexadecimal
// notation regedit uses; editors' habits (a byte-order mark, blanks around
// "=" before a continued hex value) are read as well.
TEST(RegTool, EveryValueTypeRoundTrips) {
  TempDir t;
  ScopedEnv reg("TANDRIX_REGISTRY", t.Host("a.db").c_str());
  std::string text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE]\n\n[HKEY_LOCAL_MACHINE\\T]\n";
  for (const char* type : {"0", "1", "a", "b", "2", "3", "4", "5", "6", "7", "8", "9"}) {
    const std::string t3 = std::string(type) == "3" ? "hex:" : "hex(" + std::string(type) + "):";
    text += "\"t" + std::to_string(std::stoi(type, nullptr, 16)) + "\"=" + t3 + "01,02\n";
  }
  text += "\n";
  t.Write("in.reg", "\xEF\xBB\xBF" + text);
  Tool({"reg", "import", "in.reg"}, t.path());
  EXPECT_EQ(Tool({"reg", "export"}, t.path()), text);
  t.Write("out.reg", Tool({"reg", "export"}, t.path()));
  ScopedEnv other("TANDRIX_REGISTRY", t.Host("b.db").c_str());
  Tool({"reg", "import", "out.reg"}, t.path());
  EXPECT_EQ(Tool({"reg", "export"}, t.path()), text);

  t.Write("cont.reg", "REGEDIT4\n[HKLM\\C]\n\"Long\" = hex(b):00,01,\\\n  02,03\n@ =hex:04,\\\n 05\n");
  Tool({"reg", "import", "cont.reg"}, t.path());
  EXPECT_TRUE(Contains(Tool({"reg", "export", "HKLM\\C"}, t.path()),
                       "@=hex:04,05\n\"Long\"=hex(b):00,01,02,03\n"));
}

// 512 levels are imported and exported; a deeper key that got into the
// store some other way is left out of an export, which says so, instead of
// ending it.
TEST(RegTool, DeepKeysAreExportedWithoutRecursion) {
  TempDir t;
  ScopedEnv reg("TANDRIX_REGISTRY", t.Host("a.db").c_str());
  t.Write("deep.reg", "REGEDIT4\n[HKLM" + Levels(512) + "]\n\"v\"=\"1\"\n");
  Tool({"reg", "import", "deep.reg"}, t.path());
  EXPECT_TRUE(Contains(Tool({"reg", "export"}, t.path()), Levels(512) + "]\n\"v\"=\"1\"\n"));
  {
    std::string error;
    auto store = platform::OpenSqliteRegistry(t.Host("a.db"), &error);
    ASSERT_TRUE(store) << error;
    platform::HKey k = platform::kNoKey;
    ASSERT_EQ(store->CreateKey(platform::kHKeyLocalMachine, "d" + Levels(20000), k), platform::kRegOk);
    store->CloseKey(k);
  }
  auto r = RunTool({"reg", "export"}, t.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Contains(r.err, "1 key(s) deeper than 512 levels left out")) << r.err;
  EXPECT_TRUE(Contains(r.out, "[HKEY_LOCAL_MACHINE\\d" + Levels(511) + "]\n"));
  EXPECT_FALSE(Contains(r.out, "[HKEY_LOCAL_MACHINE\\d" + Levels(512) + "]"));
  EXPECT_LT(r.out.size(), 2u << 20);
}

// A store that fills half-way through an import keeps nothing of it.
TEST(RegTool, AnImportThatFailsHalfWayWritesNothing) {
  TempDir t;
  ScopedEnv reg("TANDRIX_REGISTRY", t.Host("a.db").c_str());
  t.Write("good.reg", "REGEDIT4\n[HKLM\\K]\n\"v\"=\"1\"\n");
  Tool({"reg", "import", "good.reg"}, t.path());
  const std::string before = Tool({"reg", "export"}, t.path());
  std::string big = "REGEDIT4\n[HKLM\\K]\n\"v\"=\"2\"\n";
  for (int i = 0; i < 64; ++i) {
    big += "\"big" + std::to_string(i) + "\"=hex:";
    for (int b = 0; b < 4000; ++b) big += b ? ",ab" : "ab";
    big += "\n";
  }
  t.Write("big.reg", big);
  // The disk is full for the store after 128 KiB.
  auto r = RunTool({"reg", "import", "big.reg"}, t.path(), [] {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{128 << 10, 128 << 10};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  });
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Contains(r.err, "nothing was changed")) << r.err;
  EXPECT_EQ(Tool({"reg", "export"}, t.path()), before);
}

// A file that is no store is left alone and called so; a store that may
// only be read is exported, and an import calls it read-only.
TEST(RegTool, AStoreThatIsNotOneOrReadOnlyIsReportedAndLeftAlone) {
  TempDir t;
  t.Write("junk.db", std::string(3000, 'x'));
  t.Write("x.vcg", "LEVEL = BEGINNER\n");
  t.Write("in.reg", "REGEDIT4\n[HKLM\\K]\n\"v\"=\"1\"\n");
  {
    ScopedEnv reg("TANDRIX_REGISTRY", t.Host("junk.db").c_str());
    auto r = RunTool({"reg", "export"}, t.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "not a registry store")) << r.err;
    auto a = RunTool({"vcg", "activate", "x.vcg"}, t.path());
    EXPECT_EQ(a.exitCode, 1);
    EXPECT_EQ(a.out, "-1\n");
    EXPECT_TRUE(Contains(a.err, "not a registry store")) << a.err;
    EXPECT_EQ(t.Read("junk.db"), std::string(3000, 'x'));
  }
  ScopedEnv reg("TANDRIX_REGISTRY", t.Host("a.db").c_str());
  Tool({"reg", "import", "in.reg"}, t.path());
  const std::string before = Tool({"reg", "export"}, t.path());
  ::chmod(t.path().c_str(), 0777);
  ::chmod(t.Host("a.db").c_str(), 0444);
  auto asReader = [] {  // root may write any file: a user who may not stands in
    if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(126);
  };
  auto out = RunTool({"reg", "export"}, t.path(), asReader);
  EXPECT_EQ(out.out, before) << out.err;
  auto in = RunTool({"reg", "import", "in.reg"}, t.path(), asReader);
  EXPECT_EQ(in.exitCode, 1);
  EXPECT_TRUE(Contains(in.err, "is read-only")) << in.err;
}

}  // namespace
