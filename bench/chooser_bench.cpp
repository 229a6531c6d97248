// The customizer: its start until the main dialog shows with Generic.vcg
// open (the headless host, and the Qt one offscreen), and one load and one
// save of a configuration through CGameSettings.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "customizer/app/customizer_dlg.h"
#include "customizer/app/resources.h"
#include "customizer/game_settings.h"
#include "customizer/shared_strings.h"
#include "platform/registry.h"
#include "ui/headless/headless_app.h"
#include "ui/strings.h"
#ifdef CHOOSER_BENCH_QT
#include "ui/images.h"
#include "ui/qt/qt_app.h"
#endif

namespace {

namespace fs = std::filesystem;

// A copy of the product folder as the current directory, removed at the end.
class Product {
 public:
  Product() {
    std::string tmpl = (fs::temp_directory_path() / "chooser-bench-XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
    fs::copy(TANDRIX_PRODUCT_DIR, path_, fs::copy_options::recursive);
    old_ = fs::current_path();
    fs::current_path(path_);
    platform::SetSystemRegistry(platform::NewMemoryRegistry());
  }
  ~Product() {
    platform::SetSystemRegistry(nullptr);
    fs::current_path(old_);
    fs::remove_all(path_);
  }

 private:
  fs::path path_;
  fs::path old_;
};

// From the shared strings to the main dialog on the screen, Generic.vcg
// loaded; the script ends it as soon as it shows.
void StartUntilShown(benchmark::State& state, ui::DialogHost& host,
                     ui::headless::ScriptedUser& user) {
  for (auto _ : state) {
    InitSharedStrings(ui::LoadString(kIdsAppTitle));
    CCustomizerDlg dlg;
    bool shown = false;
    user.OnDialog(kIddCustomizer, [&](ui::OpenDialog& d) {
      shown = d.Text(kIdcDisplayName) == "Generic";
      d.End(IDOK);
    });
    dlg.DoModal(host);
    if (!shown) state.SkipWithError("Generic.vcg was not shown");
  }
}

void BM_StartUntilShownHeadless(benchmark::State& state) {
  Product product;
  ui::headless::TestApplication app;
  ui::SetApplication(&app);
  StartUntilShown(state, app.Dialogs(), app.User());
  ui::SetApplication(nullptr);
}
BENCHMARK(BM_StartUntilShownHeadless)->Unit(benchmark::kMillisecond);

#ifdef CHOOSER_BENCH_QT
void BM_StartUntilShownQtOffscreen(benchmark::State& state) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "chooser_bench";
  static char* argv[] = {name, nullptr};
  static auto* qt = new ui::qt::QtApplication(argc, argv, &ui::ProgramImages());
  Product product;
  ui::headless::ScriptedUser user;
  qt->SetUser(&user);
  ui::SetApplication(qt);
  StartUntilShown(state, qt->Dialogs(), user);
  ui::SetApplication(nullptr);
  qt->SetUser(nullptr);
}
BENCHMARK(BM_StartUntilShownQtOffscreen)->Unit(benchmark::kMillisecond);
#endif

void BM_GameSettingsLoad(benchmark::State& state) {
  Product product;
  for (auto _ : state) {
    CGameSettings s;
    benchmark::DoNotOptimize(s.Load("defaults\\Generic.vcg"));
  }
}
BENCHMARK(BM_GameSettingsLoad)->Unit(benchmark::kMicrosecond);

void BM_GameSettingsLoadAndSave(benchmark::State& state) {
  Product product;
  for (auto _ : state) {
    CGameSettings s;
    s.Load("defaults\\Generic.vcg");
    s.CurrentSens(0)[0] = 150;
    if (s.Save("defaults\\Generic.vcg") != 0) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_GameSettingsLoadAndSave)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
