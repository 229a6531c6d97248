// The dialog framework: a whole modal dialog on the headless host, sorted
// list filling, and the resident memory of a tray program's skeleton (hidden
// window, 3-second timer, single-instance channel) on each front end.
//
//   ui_bench                     speed, and memory on the headless front end
//   ui_bench --benchmark_filter=Resident   the memory figure alone, as measured
//   ui_bench --front_end=qt      memory with the Qt module loaded (needs a
//                                display, or QT_QPA_PLATFORM=offscreen)
//
// The memory figures are counters: rss_kb after start-up and rss_growth_kb
// over 100 ticks of the watch timer.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "ui/dialog.h"
#include "ui/frontend.h"
#include "ui/headless/headless_app.h"
#include "ui/headless/headless_host.h"
#include "ui/hidden_window.h"

namespace {

bool g_qt = false;

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

const ui::DialogTemplate& BenchTemplate() {
  static const ui::DialogTemplate t = [] {
    ui::DialogTemplate d;
    d.id = 900;
    d.title = "Settings";
    d.rect = {0, 0, 260, 200};
    d.controls = {ui::EditText(1100, 40, 7, 100, 12),
                  ui::AutoRadioButton("Basic", 1015, 13, 34, 60, 10, ui::ctl::Group),
                  ui::AutoRadioButton("Full Freedom", 1016, 13, 46, 60, 10),
                  ui::ListBox(1104, 7, 66, 120, 50, ui::ctl::Sorted | ui::ctl::Group),
                  ui::TrackBar(1020, 7, 122, 150, 15),
                  ui::Auto3State("Show", 1097, 7, 142, 150, 10),
                  ui::DefPushButton("OK", IDOK, 200, 140, 50, 14),
                  ui::PushButton("Cancel", IDCANCEL, 200, 158, 50, 14)};
    return d;
  }();
  return t;
}

class Dlg : public ui::CDialog {
 public:
  Dlg() : CDialog(BenchTemplate()) {}
  std::string name = "Quake";
  int level = 0;
  int game = 2;
  int speed = 100;
  int show = 1;

 protected:
  bool OnInitDialog() override {
    for (const char* g : {"quake", "duke3d", "descent", "blood", "doom"}) GetDlgItem(1104).AddString(g);
    GetDlgItem(1020).SetRange(0, 200);
    return CDialog::OnInitDialog();
  }
  void DoDataExchange(ui::CDataExchange* pDX) override {
    ui::DDX_Text(pDX, 1100, name);
    ui::DDX_Radio(pDX, 1015, level);
    ui::DDX_LBIndex(pDX, 1104, game);
    ui::DDX_Slider(pDX, 1020, speed);
    ui::DDX_Check(pDX, 1097, show);
  }
};

void BM_HeadlessModalDialog(benchmark::State& state) {
  ui::headless::ScriptedUser user;
  ui::headless::HeadlessDialogHost host(&user);
  for (auto _ : state) {
    user.OnNextDialog([](ui::OpenDialog& d) {
      d.Click(1016);
      d.MoveSlider(1020, 150);
      d.PressEnter();
    });
    Dlg dlg;
    benchmark::DoNotOptimize(dlg.DoModal(host));
  }
}
BENCHMARK(BM_HeadlessModalDialog);

void BM_SortedListFill(benchmark::State& state) {
  ui::DialogTemplate t;
  t.controls = {ui::ListBox(1, 0, 0, 10, 10, ui::ctl::Sorted)};
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    ui::DialogModel m(t, nullptr);
    for (int i = 0; i < n; ++i) m.AddString(1, "Game " + std::to_string((i * 7919) % n));
    benchmark::DoNotOptimize(m.Count(1));
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_SortedListFill)->Arg(100)->Arg(1000)->Complexity();

// The skeleton of a tray program, ticking every 3 seconds. The ticks are
// driven by hand so the figure does not wait on the clock.
void BM_TrayProgramResidentMemory(benchmark::State& state) {
  static int argc = 1;
  static char name[] = "ui_bench";
  static char* argv[] = {name, nullptr};
  std::string why;
  std::unique_ptr<ui::Application> app;
  if (g_qt) {
    app = ui::CreateApplication(argc, argv, &why);
    if (!app->ShowsDialogs()) {
      state.SkipWithError(("the Qt front end did not start: " + why).c_str());
      return;
    }
  } else {
    app = std::make_unique<ui::headless::HeadlessApplication>();
  }
  ui::HiddenWindow window(*app);
  const std::string cls = "Tandrix Bench " + std::to_string(::getpid());
  int ticks = 0;
  window.Create(cls, cls, [&](ui::HiddenWindow& w, unsigned msg, std::uintptr_t wp, std::intptr_t lp) -> long {
    if (msg == WM_CREATE) {
      app->Timers().SetTimer(3000, [&](unsigned) { ++ticks; });
      app->Tray().AddIcon(ui::NotifyIcon{0, 666, 104, "Tandrix Monitor", {}, {}});
      return 0;
    }
    return w.DefWindowProc(msg, wp, lp);
  });
  const long start = ResidentKb();
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i) {
      // A tick's worth of work on the loop: a posted message round trip.
      app->Post([&] { ++ticks; });
      app->Post([&] { app->PostQuit(0); });
      app->Run();
    }
  }
  state.counters["rss_kb"] = static_cast<double>(start);
  state.counters["rss_growth_kb"] = static_cast<double>(ResidentKb() - start);
  window.Destroy();
}
BENCHMARK(BM_TrayProgramResidentMemory)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--front_end=qt") == 0) {
      g_qt = true;
      for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
      --argc;
      break;
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
