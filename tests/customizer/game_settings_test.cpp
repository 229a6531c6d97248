// CGameSettings: loading reconciles the maps, saving lays the user view
// over the file, the change test, and loads that fail leaving nothing
// half-done.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "customizer/game_settings.h"
#include "platform/file.h"
#include "product_files.h"

namespace {

using custtest::ProductDir;

// quake.vcg with some lines replaced (whole lines, without their ends).
std::string QuakeWith(const ProductDir& p,
                      const std::vector<std::pair<std::string, std::string>>& edits) {
  std::string text = p.dir.Read("games/quake.vcg");
  for (const auto& [from, to] : edits) {
    const std::size_t at = text.find(from + "\r\n");
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
  }
  return text;
}

AxisMap Map(std::initializer_list<int> v) {
  AxisMap m{};
  std::copy(v.begin(), v.end(), m.begin());
  return m;
}

TEST(GameSettings, ResetLeavesNothingOpenWithBuiltInDefaults) {
  CGameSettings s;
  EXPECT_EQ(s.type, kTypeNone);
  EXPECT_EQ(s.owner, 1);
  // Every label is empty, so no joystick axis has a driving device axis.
  EXPECT_EQ(s.hrzDefaultMap, Map({-1, -1, -1, -1, -1, -1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(s.vrtDefaultMap, Map({-1, -1, -1, -1, -1, -1, 0, 1, 0, 1, 0, 0}));
  EXPECT_EQ(s.advUserMap, s.hrzDefaultMap);
  EXPECT_EQ(s.CurrentSens(1), (SensArray{100, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(s.Changed());
  s.labels = {"a", "b", "c", "d", "e", "f"};
  AxisMap vertical{};
  s.BuildDefaultMap(vertical, true);
  EXPECT_EQ(vertical, Map({0, 2, 1, 3, 5, 4, 0, 1, 0, 1, 0, 0}));
}

// Each row: a file, then what the loaded settings hold.
TEST(GameSettings, LoadReconcilesMapsAndLevels) {
  struct Row {
    const char* what;
    std::vector<std::pair<std::string, std::string>> edits;
    std::function<void(const CGameSettings&)> check;
  };
  const std::vector<Row> rows = {
      {"quake as shipped: RZ unused, so V has no driving axis", {},
       [](const CGameSettings& s) {
         EXPECT_EQ(s.type, kTypeDos);
         EXPECT_EQ(s.level, 1);
         EXPECT_EQ(s.title, "Quake");
         // XUYZRV: X<-TX, Y<-TZ, Z<-RX, R<-RY, U<-TY, V<-RZ (unused).
         EXPECT_EQ(s.hrzDefaultMap, Map({0, 2, 3, 4, 1, -1, 0, 0, 0, 0, 0, 0}));
         EXPECT_EQ(s.hrzUserMap, s.hrzDefaultMap);
         // XUYzRV: Z from RX reversed; V cleared by the empty RZ label.
         EXPECT_EQ(s.advUserMap, Map({0, 2, 3, 4, 1, -1, 0, 0, 1, 0, 0, 0}));
         EXPECT_EQ(s.CurrentSens(1), (SensArray{100, 80, 70, 85, 75, 80, 60}));
         EXPECT_EQ(s.nameCount, 10);
         EXPECT_EQ(s.buttonNames[3], "Next Weapon");
         EXPECT_FALSE(s.Changed());
       }},
      {"an empty TZ label clears every entry naming TZ",
       {{"TZ_LABEL = Walk forward/back", "TZ_LABEL ="}},
       [](const CGameSettings& s) {
         EXPECT_EQ(s.hrzDefaultMap, Map({0, -1, 3, 4, 1, -1, 0, 0, 0, 0, 0, 0}));
         EXPECT_EQ(s.hrzUserMap, s.hrzDefaultMap);
         EXPECT_EQ(s.vrtUserMap, s.vrtDefaultMap);
         EXPECT_EQ(s.advUserMap[1], -1);
       }},
      {"a user map driving Y from another axis comes back to the default",
       {{"AXIS_MAP_HRZ_USER = XUYZRV", "AXIS_MAP_HRZ_USER = XYUZRV"}},
       [](const CGameSettings& s) {
         EXPECT_EQ(s.hrzUserMap, s.hrzDefaultMap);
         EXPECT_FALSE(s.Changed());
       }},
      {"a Champion file is shown as Basic and counts as changed",
       {{"LEVEL = INTERMEDIATE", "LEVEL = EXPERT"}},
       [](const CGameSettings& s) {
         EXPECT_EQ(s.level, 0);
         EXPECT_TRUE(s.Changed());
       }},
      {"an Advanced orientation is shown as Horizontal and counts as changed",
       {{"ORIENTATION = HORIZONTAL", "ORIENTATION = ADVANCED"}},
       [](const CGameSettings& s) {
         EXPECT_EQ(s.orientation, 0);
         EXPECT_TRUE(s.Changed());
       }},
      {"a quoted title keeps its quotes",
       {{"APPLICATION_NAME = Quake", "APPLICATION_NAME = \"Quake II\""}},
       [](const CGameSettings& s) { EXPECT_EQ(s.title, "\"Quake II\""); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ProductDir p;
    p.dir.Write("test.vcg", QuakeWith(p, row.edits));
    CGameSettings s;
    ASSERT_EQ(s.Load("test.vcg"), LoadError::None);
    EXPECT_EQ(s.sourcePath, "test.vcg");
    row.check(s);
  }
}

// Each row changes one thing the change test compares.
TEST(GameSettings, ChangedSeesEveryUserValue) {
  const std::vector<std::pair<const char*, std::function<void(CGameSettings&)>>> rows = {
      {"dirty flag", [](CGameSettings& s) { s.dirty = 1; }},
      {"level", [](CGameSettings& s) { s.level = 0; }},
      {"orientation", [](CGameSettings& s) { s.orientation = 1; }},
      {"horizontal map", [](CGameSettings& s) { s.hrzUserMap[6] = 1; }},
      {"vertical map", [](CGameSettings& s) { s.vrtUserMap[0] = -1; }},
      {"advanced map", [](CGameSettings& s) { s.advUserMap[8] = 0; }},
      {"a current sensitivity", [](CGameSettings& s) { s.CurrentSens(2)[4] = 1; }},
      {"a button", [](CGameSettings& s) { s.currentButtons[5] = -1; }},
      {"a filter", [](CGameSettings& s) { s.filters[0] = 2; }},
  };
  ProductDir p;
  for (const auto& [what, change] : rows) {
    SCOPED_TRACE(what);
    CGameSettings s;
    ASSERT_EQ(s.Load("games\\quake.vcg"), LoadError::None);
    change(s);
    EXPECT_TRUE(s.Changed());
  }
  // What the change test leaves out.
  CGameSettings s;
  ASSERT_EQ(s.Load("games\\quake.vcg"), LoadError::None);
  s.labels[0] = "x";
  s.DefaultSens(1)[0] = 3;
  s.title = "y";
  EXPECT_FALSE(s.Changed());
}

TEST(GameSettings, SaveChangesOnlyTheUserValues) {
  ProductDir p;
  const std::string want =
      QuakeWith(p, {{"ORIENTATION = HORIZONTAL", "ORIENTATION = VERTICAL"},
                    {"SENS_INT_USER = { 0.80, 0.70, 0.85, 0.75, 0.80, 0.60, 1.00 }",
                     "SENS_INT_USER = { 0.80, 0.70, 0.85, 0.75, 0.80, 0.60, 1.50 }"}});
  CGameSettings s;
  ASSERT_EQ(s.Load("games\\quake.vcg"), LoadError::None);
  s.orientation = 1;
  s.CurrentSens(1)[0] = 150;
  ASSERT_TRUE(s.Changed());
  ASSERT_EQ(s.Save("games\\quake.vcg"), 0);
  EXPECT_FALSE(s.Changed());
  EXPECT_EQ(custtest::WithoutDate(p.dir.Read("games/quake.vcg")), custtest::WithoutDate(want));

  // Saving what was just read changes nothing but the date.
  for (const char* game : {"games\\duke3d.vcg", "games\\descent.vcg", "defaults\\Generic.vcg"}) {
    SCOPED_TRACE(game);
    const std::string host = std::string(game).replace(std::string(game).find('\\'), 1, "/");
    const std::string original = p.dir.Read(host);
    CGameSettings g;
    ASSERT_EQ(g.Load(game), LoadError::None);
    ASSERT_EQ(g.Save(game), 0);
    EXPECT_EQ(custtest::WithoutDate(p.dir.Read(host)), custtest::WithoutDate(original));
  }
}

TEST(GameSettings, SaveWritesTheTitleWithoutQuotes) {
  ProductDir p;
  p.dir.Write("test.vcg", QuakeWith(p, {{"APPLICATION_NAME = Quake", "APPLICATION_NAME = \"Quake II\""}}));
  CGameSettings s;
  ASSERT_EQ(s.Load("test.vcg"), LoadError::None);
  ASSERT_EQ(s.Save("test.vcg"), 0);
  EXPECT_NE(p.dir.Read("test.vcg").find("APPLICATION_NAME = Quake II\r\n"), std::string::npos);
}

// Without a source file the user view goes over config.dft of the start
// directory: what the file does not set comes from there.
TEST(GameSettings, SaveWithoutSourceUsesTheStartDirectoryTemplate) {
  ProductDir p;
  p.dir.Write("config.dft", p.dir.Read("defaults/config.dft"));
  CGameSettings s;
  ASSERT_EQ(s.Load("games\\quake.vcg"), LoadError::None);
  s.sourcePath.clear();
  ASSERT_EQ(s.Save("out.vcg"), 0);
  CGameSettings out;
  ASSERT_EQ(out.Load("out.vcg"), LoadError::None);
  CGameSettings dft;
  ASSERT_EQ(dft.Load("config.dft"), LoadError::None);
  EXPECT_EQ(out.title, "Quake");
  EXPECT_EQ(out.record.axes, dft.record.axes);

  // An empty object has no record to write: it fails and writes nothing.
  CGameSettings empty;
  EXPECT_NE(empty.Save("empty.vcg"), 0);
  EXPECT_FALSE(p.dir.Exists("empty.vcg"));
}

// Each row: a load that fails. The open settings stay exactly as they
// were, and saving them afterwards writes the open file's own values.
TEST(GameSettings, FailedLoadKeepsThePreviousConfiguration) {
  struct Row {
    const char* what;
    std::function<std::string(const ProductDir&)> make;  // the path to load
    LoadError error;
  };
  const std::vector<Row> rows = {
      {"missing file", [](const ProductDir&) { return std::string("nothere.vcg"); },
       LoadError::Unreadable},
      {"old version",
       [](const ProductDir& p) {
         p.dir.Write("old.vcg", QuakeWith(p, {{"VERSION = 4.2", "VERSION = 3.1"}}));
         return std::string("old.vcg");
       },
       LoadError::OldVersion},
      {"a folder", [](const ProductDir&) { return std::string("games"); }, LoadError::Unreadable},
      {"a FIFO",
       [](const ProductDir& p) {
         ::mkfifo(p.dir.Host("pipe.vcg").c_str(), 0600);
         return std::string("pipe.vcg");
       },
       LoadError::Unreadable},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ProductDir p;
    const std::string duke = p.dir.Read("games/duke3d.vcg");
    CGameSettings s;
    ASSERT_EQ(s.Load("games\\duke3d.vcg"), LoadError::None);
    s.CurrentSens(0)[0] = 120;
    const CGameSettings before = s;
    EXPECT_EQ(LoadReplacing(s, row.make(p)), row.error);
    EXPECT_EQ(s.sourcePath, "games\\duke3d.vcg");
    EXPECT_EQ(s.record, before.record);
    EXPECT_EQ(s.labels, before.labels);
    EXPECT_EQ(s.buttonNames, before.buttonNames);
    EXPECT_TRUE(s.Changed());
    ASSERT_EQ(s.Save(s.sourcePath), 0);
    const std::string line = "SENS_BEG_USER = { 0.60, 0.50, 0.65, 0.45, 0.55, 0.40, 0.80 }";
    std::string expected = custtest::WithoutDate(duke);
    const std::size_t at = expected.find(line);
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, line.size(), "SENS_BEG_USER = { 0.60, 0.50, 0.65, 0.45, 0.55, 0.40, 1.20 }");
    EXPECT_EQ(custtest::WithoutDate(p.dir.Read("games/duke3d.vcg")), expected);
  }
}

TEST(GameSettings, FailedSaveKeepsTheChangeAndTheFile) {
  ProductDir p;
  CGameSettings s;
  ASSERT_EQ(s.Load("games\\quake.vcg"), LoadError::None);
  s.level = 0;
  const std::string before = p.dir.Read("games/quake.vcg");
  platform::testing::FailWritesAfter(100);  // the disk fills up
  EXPECT_NE(s.Save("games\\quake.vcg"), 0);
  platform::testing::FailWritesAfter(-1);
  EXPECT_TRUE(s.Changed());
  EXPECT_EQ(p.dir.Read("games/quake.vcg"), before);
}

TEST(GameSettings, DisplayNames) {
  const std::vector<std::pair<const char*, const char*>> rows = {
      {"defaults\\Generic.vcg", "Generic"}, {"Z:/games/Quake.VCG", "Quake"},
      {"C:duke3d.vcg", "duke3d"},           {"games\\notes.txt", "notes.txt"},
      {"descent.vcg.vcg", "descent.vcg"},   {".vcg", ""},
  };
  for (const auto& [path, name] : rows) EXPECT_EQ(DisplayNameOf(path), name) << path;
}

}  // namespace
