// The open-file dialog: filter strings, the rules a chosen name must pass,
// and the dialog answered by a script on the headless host.
#include <gtest/gtest.h>

#include "platform/dospath.h"
#include "support/tempdir.h"
#include "ui/file_dialog.h"
#include "ui/headless/headless_host.h"

namespace {

constexpr const char* kExeFilter = "Exe Files (*.exe)|*.exe|All Files (*.*)|*.*||\n";

TEST(FileFilter, PairsNamesWithPatterns) {
  struct Row {
    const char* filter;
    std::vector<ui::FileFilter> want;
  };
  const std::vector<Row> rows = {
      {kExeFilter, {{"Exe Files (*.exe)", "*.exe"}, {"All Files (*.*)", "*.*"}}},
      {"Text|*.txt;*.doc||", {{"Text", "*.txt;*.doc"}}},
      {"Text|*.txt", {{"Text", "*.txt"}}},          // no closing bars
      {"Text|*.txt|Odd||", {{"Text", "*.txt"}}},    // a name without patterns
      {"", {}},
      {"||", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.filter);
    EXPECT_EQ(ui::ParseFileFilter(row.filter), row.want);
  }
  EXPECT_TRUE(ui::MatchesFilter("DUKE3D.EXE", "*.exe"));
  EXPECT_TRUE(ui::MatchesFilter("readme", "*.*"));
  EXPECT_TRUE(ui::MatchesFilter("a.txt", "*.doc; *.txt"));
  EXPECT_FALSE(ui::MatchesFilter("duke3d.exe.bak", "*.exe"));
  EXPECT_TRUE(ui::MatchesFilter("q1.exe", "q?.exe"));
}

TEST(FileDialog, AnsweredByAScript) {
  testsupport::TempDir dir;
  dir.Write("duke/DUKE3D.EXE", "MZ");
  dir.Write("duke/setup", "MZ");
  const std::string duke = dir.Dos() + "\\duke";
  struct Row {
    const char* what;
    std::string answer;  // "" cancels
    int result;
    std::string path;
    bool refused;
  };
  const std::vector<Row> rows = {
      {"the offered name", "duke3d.exe", IDOK, duke + "\\DUKE3D.EXE", false},
      {"a name without extension gets .exe", "duke3d", IDOK, duke + "\\DUKE3D.EXE", false},
      {"an absolute DOS path", duke + "\\duke3d.exe", IDOK, duke + "\\DUKE3D.EXE", false},
      {"a host path comes back in DOS form", dir.Host("duke/DUKE3D.EXE"), IDOK,
       duke + "\\DUKE3D.EXE", false},
      {"a missing file is refused", "quake.exe", IDCANCEL, "", true},
      {"a folder is no file", dir.Dos() + "\\duke\\", IDCANCEL, "", true},
      {"Cancel", "", IDCANCEL, "", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ui::headless::ScriptedUser user;
    ui::headless::HeadlessDialogHost host(&user);
    ui::CFileDialog dlg(true, ".exe", duke + "\\duke3d.exe", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                        kExeFilter);
    user.AnswerNextFileDialog(row.answer);
    EXPECT_EQ(dlg.DoModal(host), row.result);
    // The name keeps the case typed; the file system finds it regardless.
    EXPECT_TRUE(platform::EqualsNoCase(dlg.GetPathName(), row.path)) << dlg.GetPathName();
    ASSERT_EQ(user.FileDialogs().size(), 1u);
    const auto& seen = user.FileDialogs()[0];
    EXPECT_EQ(seen.refused, row.refused);
    EXPECT_EQ(seen.request.defaultExt, "exe");
    EXPECT_EQ(seen.request.StartFolder(), duke);
    EXPECT_EQ(seen.request.StartName(), "duke3d.exe");
    EXPECT_EQ(seen.request.filters.size(), 2u);
    EXPECT_NE(seen.request.flags & OFN_HIDEREADONLY, 0u);
  }
}

TEST(FileDialog, NobodyThereCancels) {
  ui::headless::HeadlessDialogHost host;
  ui::CFileDialog dlg(true, "exe", "duke3d.exe", OFN_FILEMUSTEXIST, kExeFilter);
  EXPECT_EQ(dlg.DoModal(host), IDCANCEL);
  EXPECT_EQ(dlg.GetPathName(), "");
}

}  // namespace
