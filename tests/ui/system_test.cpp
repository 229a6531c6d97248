// What the framework asks of the system: the single-instance channel, the
// plain event loop and its signals, display detection, the help launcher,
// images and the choice of front end.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <netinet/in.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "platform/unique_fd.h"
#include "support/tempdir.h"
#include "ui/display.h"
#include "ui/event_loop.h"
#include "ui/frontend.h"
#include "ui/headless/headless_app.h"
#include "ui/help.h"
#include "ui/hidden_window.h"
#include "ui/images.h"
#include "ui/instance.h"

namespace {

using testsupport::ScopedEnv;
using testsupport::TempDir;

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// Waits up to ms for one byte on fd.
char ReadByte(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  char c = 0;
  if (::poll(&p, 1, ms) == 1 && ::read(fd, &c, 1) == 1) return c;
  return 0;
}

TEST(InstanceChannel, CloseIsHandledInTheOtherProcessBeforeTheSenderGoesOn) {
  TempDir runtime;
  ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().c_str());
  const std::string marker = runtime.Host("closed");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ui::headless::HeadlessApplication app;
    ui::HiddenWindow window(app);
    const bool ok = window.Create(
        "Tandrix Monitor", "Tandrix Monitor",
        [&](ui::HiddenWindow& w, unsigned msg, std::uintptr_t wp, std::intptr_t lp) -> long {
          if (msg == WM_CLOSE) {
            std::ofstream(marker) << "closed\n";
          } else if (msg == WM_DESTROY) {
            w.PostQuitMessage(7);
            return 0;
          }
          return w.DefWindowProc(msg, wp, lp);
        });
    const char c = ok && window.IsFindable() ? '1' : '0';
    [[maybe_unused]] ssize_t n = ::write(ready[1], &c, 1);
    ::_exit(app.Run());
  }
  ::close(ready[1]);
  ASSERT_EQ(ReadByte(ready[0], 10000), '1');
  ::close(ready[0]);

  EXPECT_TRUE(ui::HiddenWindow::Find("Tandrix Monitor"));
  EXPECT_FALSE(ui::HiddenWindow::Find("Tandrix Customizer"));
  long result = -5;
  EXPECT_TRUE(ui::HiddenWindow::SendTo("Tandrix Monitor", WM_CLOSE, 0, 0, &result));
  EXPECT_EQ(result, 0);
  // Handled, and the name given up, before the sender went on.
  EXPECT_TRUE(Exists(marker));
  EXPECT_FALSE(ui::HiddenWindow::Find("Tandrix Monitor"));
  ui::headless::TestApplication app;
  ui::HiddenWindow successor(app);
  EXPECT_TRUE(successor.Create("Tandrix Monitor", "Tandrix Monitor",
                               [](ui::HiddenWindow& w, unsigned m, std::uintptr_t wp, std::intptr_t lp) {
                                 return w.DefWindowProc(m, wp, lp);
                               }));
  EXPECT_TRUE(successor.IsFindable());

  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
  EXPECT_FALSE(ui::HiddenWindow::SendTo("Tandrix Nobody", WM_CLOSE));
}

TEST(InstanceChannel, MessagesCarryTheirParametersAndResult) {
  TempDir runtime;
  ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().c_str());
  ui::EventLoop loop;
  ui::InstanceListener listener;
  std::vector<long long> got;
  ASSERT_TRUE(listener.Listen("Tandrix Monitor", [&](unsigned m, std::uintptr_t w, std::intptr_t l) -> long {
    got = {m, static_cast<long long>(w), static_cast<long long>(l)};
    loop.Quit(0);
    return -42;
  }));
  loop.Watch(listener.fd(), [&] { listener.HandleReady(); });
  long result = 0;
  bool sent = false;
  std::thread sender([&] { sent = ui::SendInstanceMessage("Tandrix Monitor", WM_USER + 5, 7, -3, &result); });
  loop.Run();
  sender.join();
  EXPECT_TRUE(sent);
  EXPECT_EQ(result, -42);
  EXPECT_EQ(got, (std::vector<long long>{WM_USER + 5, 7, -3}));
}

TEST(InstanceChannel, AStaleSocketIsReplacedALiveOneIsNot) {
  TempDir runtime;
  ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().c_str());
  const std::string path = ui::InstanceAddress("Tandrix Monitor");
  EXPECT_EQ(path, runtime.path() + "/tandrix-Tandrix_Monitor.sock");

  // A program that died left its socket behind.
  const int dead = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, path.c_str());
  ASSERT_EQ(::bind(dead, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ::close(dead);
  ASSERT_TRUE(Exists(path));
  EXPECT_FALSE(ui::InstanceExists("Tandrix Monitor"));

  auto handler = [](unsigned, std::uintptr_t, std::intptr_t) { return 0L; };
  ui::InstanceListener first;
  EXPECT_TRUE(first.Listen("Tandrix Monitor", handler));
  EXPECT_TRUE(ui::InstanceExists("Tandrix Monitor"));
  ui::InstanceListener second;
  EXPECT_FALSE(second.Listen("Tandrix Monitor", handler));
  EXPECT_TRUE(first.IsListening());
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // Closing removes only a file that is still its own.
  ASSERT_EQ(::unlink(path.c_str()), 0);
  ui::InstanceListener third;
  EXPECT_TRUE(third.Listen("Tandrix Monitor", handler));
  first.Close();
  EXPECT_TRUE(Exists(path));
  EXPECT_TRUE(ui::InstanceExists("Tandrix Monitor"));
  third.Close();
  EXPECT_FALSE(Exists(path));
}

TEST(InstanceChannel, WithoutARuntimeFolderTheAbstractNamespaceIsUsed) {
  const std::string cls = "Tandrix Test " + std::to_string(::getpid());
  for (const char* runtime : {static_cast<const char*>(nullptr), "relative/dir", "/no/such/folder"}) {
    ScopedEnv env("XDG_RUNTIME_DIR", runtime);
    const std::string address = ui::InstanceAddress(cls);
    EXPECT_EQ(address, "@tandrix-Tandrix_Test_" + std::to_string(::getpid()) + "-" +
                           std::to_string(::getuid()));
    ui::InstanceListener a, b;
    auto handler = [](unsigned, std::uintptr_t, std::intptr_t) { return 0L; };
    EXPECT_TRUE(a.Listen(cls, handler));
    EXPECT_FALSE(b.Listen(cls, handler));
    EXPECT_TRUE(ui::InstanceExists(cls));
    a.Close();
    EXPECT_FALSE(ui::InstanceExists(cls));
  }
}

TEST(InstanceChannel, GarbageOnTheSocketIsIgnored) {
  TempDir runtime;
  ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().c_str());
  int calls = 0;
  ui::InstanceListener listener;
  ASSERT_TRUE(listener.Listen("Tandrix Monitor", [&](unsigned, std::uintptr_t, std::intptr_t) {
    ++calls;
    return 0L;
  }));
  for (const char* junk : {"hello\n", "TDXMSG 16\n", "TDXMSGX 16 0 0\n", ""}) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, ui::InstanceAddress("Tandrix Monitor").c_str());
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    [[maybe_unused]] ssize_t n = ::write(fd, junk, std::strlen(junk));
    ::shutdown(fd, SHUT_WR);
    listener.HandleReady();
    char reply[32];
    EXPECT_EQ(::read(fd, reply, sizeof reply), 0) << junk;  // closed without an answer
    ::close(fd);
  }
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(listener.IsListening());
}

// --- the plain event loop ---------------------------------------------------

TEST(EventLoop, TimersPostedCallsAndQuitInRealTime) {
  ui::EventLoop loop;
  std::vector<std::string> log;
  int ticks = 0;
  const auto start = std::chrono::steady_clock::now();
  loop.SetTimer(10, [&](unsigned id) {
    log.push_back("tick");
    if (++ticks == 3) {
      loop.KillTimer(id);
      loop.Post([&] {
        log.push_back("posted");
        loop.Quit(5);
      });
    }
  });
  loop.Post([&] { log.push_back("first"); });
  EXPECT_EQ(loop.Run(), 5);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
  EXPECT_EQ(log, (std::vector<std::string>{"first", "tick", "tick", "tick", "posted"}));
  EXPECT_EQ(loop.TimerCount(), 0u);

  // A quit before the loop runs ends it at once.
  loop.Quit(9);
  EXPECT_EQ(loop.Run(), 9);
}

TEST(EventLoop, WatchedDescriptorsWakeTheLoop) {
  ui::EventLoop loop;
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::string got;
  const int watch = loop.Watch(fds[0], [&] {
    char c;
    if (::read(fds[0], &c, 1) == 1) got += c;
    if (got == "ab") loop.Quit(0);
  });
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    [[maybe_unused]] ssize_t n = ::write(fds[1], "ab", 2);
  });
  EXPECT_EQ(loop.Run(), 0);
  writer.join();
  EXPECT_EQ(got, "ab");
  loop.Unwatch(watch);
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(EventLoop, TerminationSignalsRunTheHandlerOnTheLoop) {
  ui::EventLoop loop;
  int handled = 0;
  loop.CatchTerminationSignals([&] {
    ++handled;
    loop.Quit(0);
  });
  loop.SetTimer(10, [](unsigned) { ::kill(::getpid(), SIGTERM); });
  EXPECT_EQ(loop.Run(), 0);
  EXPECT_EQ(handled, 1);

  // Without a handler, SIGINT ends the loop.
  ui::headless::HeadlessApplication app;
  app.Timers().SetTimer(10, [](unsigned) { ::kill(::getpid(), SIGINT); });
  EXPECT_EQ(app.Run(), 0);
}

// --- display, help, images, front end ------------------------------------------

TEST(Display, DetectedFromTheEnvironment) {
  struct Row {
    const char* display;
    const char* wayland;
    const char* headless;
    bool has;
  };
  const Row rows[] = {
      {nullptr, nullptr, nullptr, false}, {":0", nullptr, nullptr, true},
      {nullptr, "wayland-0", nullptr, true}, {"", "", nullptr, false},
      {":0", "wayland-0", "1", false},    {":0", nullptr, "0", true},
  };
  for (const auto& row : rows) {
    ScopedEnv d("DISPLAY", row.display), w("WAYLAND_DISPLAY", row.wayland),
        h("TANDRIX_HEADLESS", row.headless);
    EXPECT_EQ(ui::HasDisplay(), row.has) << (row.display ? row.display : "-") << " "
                                         << (row.wayland ? row.wayland : "-") << " "
                                         << (row.headless ? row.headless : "-");
  }
}

TEST(Display, ReachableOnlyWhenItsSocketAnswers) {
  TempDir runtime;
  ScopedEnv qpa("QT_QPA_PLATFORM", nullptr), rt("XDG_RUNTIME_DIR", runtime.path().c_str());
  {
    ScopedEnv d("DISPLAY", ":97"), w("WAYLAND_DISPLAY", "wayland-test");
    std::string why;
    EXPECT_FALSE(ui::DisplayReachable(&why));
    EXPECT_EQ(why, "the display does not answer");
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, runtime.Host("wayland-test").c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(fd, 1), 0);
  {
    ScopedEnv d("DISPLAY", nullptr), w("WAYLAND_DISPLAY", "wayland-test");
    EXPECT_TRUE(ui::DisplayReachable());
  }
  ::close(fd);

  // A display over the network: host:n is port 6000 + n.
  const int tcp = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(tcp, reinterpret_cast<sockaddr*>(&in), sizeof in), 0);
  ASSERT_EQ(::listen(tcp, 1), 0);
  socklen_t len = sizeof in;
  ::getsockname(tcp, reinterpret_cast<sockaddr*>(&in), &len);
  const std::string remote = "127.0.0.1:" + std::to_string(ntohs(in.sin_port) - 6000) + ".0";
  {
    ScopedEnv d("DISPLAY", remote.c_str()), w("WAYLAND_DISPLAY", nullptr);
    EXPECT_TRUE(ui::DisplayReachable());
    ::close(tcp);
    EXPECT_FALSE(ui::DisplayReachable());
  }

  ScopedEnv offscreen("QT_QPA_PLATFORM", "offscreen"), d("DISPLAY", nullptr),
      w("WAYLAND_DISPLAY", nullptr);
  EXPECT_TRUE(ui::DisplayReachable());
}

TEST(Help, PrefersAReadableCompanionAndStartsTheViewer) {
  TempDir dir;
  dir.Write("tndrx47.hlp", "binary help");
  dir.Write("nojoycp.hlp", "binary help");
  dir.Write("tndrx47.html", "<html>help</html>");
  dir.Write("viewer.sh", "#!/bin/sh\nprintf '%s' \"$1\" > \"" + dir.Host("opened.tmp") + "\"\nmv \"" +
                             dir.Host("opened.tmp") + "\" \"" + dir.Host("opened") + "\"\n");
  ::chmod(dir.Host("viewer.sh").c_str(), 0755);
  testsupport::ScopedCwd cwd(dir.path());

  EXPECT_EQ(ui::HelpFileToOpen("tndrx47.hlp"), dir.Host("tndrx47.html"));
  EXPECT_EQ(ui::HelpFileToOpen("NOJOYCP.HLP"), dir.Host("nojoycp.hlp"));
  EXPECT_EQ(ui::HelpFileToOpen("missing.hlp"), "");

  ScopedEnv viewer("TANDRIX_HELP_VIEWER", dir.Host("viewer.sh").c_str());
  std::string why;
  EXPECT_FALSE(ui::WinHelp("missing.hlp", HELP_CONTEXT, 10, &why));
  EXPECT_EQ(why, "help file missing.hlp not found");
  EXPECT_TRUE(ui::WinHelp(dir.Dos() + "\\tndrx47.hlp", HELP_CONTEXT, 10, &why));
  for (int i = 0; i < 500 && !dir.Exists("opened"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(dir.Read("opened"), dir.Host("tndrx47.html"));
  EXPECT_TRUE(ui::WinHelp("anything", HELP_QUIT, 0));

  ScopedEnv none("TANDRIX_HELP_VIEWER", "/no/such/viewer");
  EXPECT_FALSE(ui::WinHelp("tndrx47.hlp", HELP_CONTEXT, 10, &why));
  EXPECT_NE(why.find("no help viewer"), std::string::npos);
}

TEST(Images, EmbeddedFirstThenFolders) {
  TempDir dir;
  dir.Write("133.bmp", "BMfolder");
  dir.Write("104.png", "PNGfolder");
  ui::ImageTable table;
  static const unsigned char kEmbedded[] = {'B', 'M', 'e'};
  table.Add(ui::ImageKind::Bitmap, 134, kEmbedded, sizeof kEmbedded);
  table.AddDirectory(dir.path());
  auto text = [](const std::vector<unsigned char>& v) { return std::string(v.begin(), v.end()); };
  EXPECT_EQ(text(table.Load(ui::ImageKind::Bitmap, 134)), "BMe");
  EXPECT_EQ(text(table.Load(ui::ImageKind::Bitmap, 133)), "BMfolder");
  EXPECT_EQ(text(table.Load(ui::ImageKind::Icon, 104)), "PNGfolder");
  EXPECT_FALSE(table.Contains(ui::ImageKind::Icon, 139));
}

// The product's pictures: 97 by 72, 8 bits a pixel with a palette of at
// most 256 colours; the tray icons 32 by 32 PNG.
TEST(ProductImages, PicturesAndIconsHaveTheirSizeAndDepth) {
  auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  auto u32 = [](const std::string& s, std::size_t at, bool bigEndian) {
    unsigned v = 0;
    for (int i = 0; i < 4; ++i) {
      const unsigned b = static_cast<unsigned char>(s[at + (bigEndian ? i : 3 - i)]);
      v = (v << 8) | b;
    }
    return v;
  };
  for (int id : {133, 134, 135, 136, 137}) {
    const std::string bmp = read(std::string(TANDRIX_PRODUCT_DIR) + "/pictures/" + std::to_string(id) + ".bmp");
    ASSERT_GT(bmp.size(), 54u) << id;
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(u32(bmp, 18, false), 97u) << id;
    EXPECT_EQ(u32(bmp, 22, false), 72u) << id;
    EXPECT_EQ(static_cast<unsigned char>(bmp[28]), 8) << id;
    const unsigned colours = u32(bmp, 46, false);
    EXPECT_TRUE(colours == 0 || colours <= 256) << id;
  }
  for (int id : {104, 139}) {
    const std::string png = read(std::string(TANDRIX_PRODUCT_DIR) + "/icons/" + std::to_string(id) + ".png");
    ASSERT_GT(png.size(), 24u) << id;
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(u32(png, 16, true), 32u);
    EXPECT_EQ(u32(png, 20, true), 32u);
  }
}

TEST(FrontEnd, WithoutADisplayTheProgramRunsHeadless) {
  struct Row {
    const char* display;
    const char* headless;
    const char* why;
  };
  const Row rows[] = {{":0", "1", "no display"},
                      {nullptr, nullptr, "no display"},
                      {":97", nullptr, "the display does not answer"}};
  for (const auto& row : rows) {
    ScopedEnv d("DISPLAY", row.display), w("WAYLAND_DISPLAY", nullptr),
        h("TANDRIX_HEADLESS", row.headless), q("QT_QPA_PLATFORM", nullptr);
    int argc = 1;
    char name[] = "Tandmon";
    char* argv[] = {name, nullptr};
    std::string why;
    auto app = ui::CreateApplication(argc, argv, &why);
    ASSERT_NE(app, nullptr);
    EXPECT_FALSE(app->ShowsDialogs());
    EXPECT_FALSE(app->Tray().IsAvailable());
    EXPECT_EQ(why, row.why);
  }
}

}  // namespace

namespace {

// One owner per descriptor: closed when the owner goes or takes another,
// kept open when released or moved.
TEST(UniqueFd, ClosesWhatItOwns) {
  auto open = [](int fd) { return ::fcntl(fd, F_GETFD) != -1; };
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  {
    platform::UniqueFd a(fds[0]);
    platform::UniqueFd b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), fds[0]);
    b.reset(fds[1]);
    EXPECT_FALSE(open(fds[0]));
    EXPECT_TRUE(open(fds[1]));
    const int kept = b.release();
    EXPECT_TRUE(open(kept));
    b.reset(kept);
  }
  EXPECT_FALSE(open(fds[1]));
}

}  // namespace
