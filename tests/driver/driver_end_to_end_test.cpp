// The real vexord with the real tuning library and a real monitor, the
// kernel's two ends replaced by pipes at the file descriptors: frames go
// into the input seam as input_event records and come out of the output
// seam as the virtual joystick's records.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/driver_socket.h"
#include "platform/registry.h"
#include "platform/unique_fd.h"
#include "support/child_process.h"
#include "support/tempdir.h"
#include "tuning/mva_device.h"
#include "tuning/mva_joystick.h"

namespace {

using platform::UniqueFd;
using testsupport::ChildProcess;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WaitFor;

using Axes = std::array<int, 6>;  // TX TY TZ RX RY RZ on -512..512
using Joy = std::array<int, 6>;   // X Y Z R U V

struct Out {
  Joy axes{};
  int buttonA = -1;
};

class DriverSeams : public ::testing::Test {
 public:
  void SetUp() override {
    ChildProcess install(TANDRIX_TOOL, {"install", product.path()}, product.path(), Log());
    ASSERT_EQ(install.Wait(), 0) << Output();
    ASSERT_EQ(::mkfifo(In().c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(scratch.Host("out").c_str(), 0600), 0);
    out_.reset(::open(scratch.Host("out").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  }

  std::string Log() const { return scratch.Host("output.log"); }
  std::string Output() const { return scratch.Read("output.log"); }
  std::string In() const { return scratch.Host("in"); }
  // tandrix status --json: its exit code, and its output in text.
  int Status(std::string& text) {
    std::filesystem::remove(scratch.Host("status.log"));
    ChildProcess status(TANDRIX_TOOL, {"status", "--json"}, product.path(), scratch.Host("status.log"));
    const int code = status.Wait();
    text = scratch.Read("status.log");
    return code;
  }
  std::string State() const { return scratch.Read("tandrix/vexord.state"); }
  bool StateHas(const std::string& text) const { return State().find(text) != std::string::npos; }

  std::unique_ptr<ChildProcess> StartDriver(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--input-seam", In(), "--output-seam", scratch.Host("out")};
    args.insert(args.end(), extra.begin(), extra.end());
    return std::make_unique<ChildProcess>(VEXORD_EXE, args, scratch.path(), Log());
  }

  // Plugs the stand-in device in: the writing end of the input seam, once
  // the driver reads it.
  bool Plug() {
    return WaitFor([&] {
      in_.reset(::open(In().c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
      return static_cast<bool>(in_);
    });
  }

  void Send(const Axes& axes, bool buttonA) {
    std::vector<input_event> records;
    for (unsigned code = 0; code < 6; ++code) records.push_back({{}, EV_ABS, static_cast<__u16>(code), axes[code]});
    records.push_back({{}, EV_KEY, BTN_0, buttonA ? 1 : 0});
    records.push_back({{}, EV_SYN, SYN_REPORT, 0});
    const auto size = static_cast<ssize_t>(records.size() * sizeof(input_event));
    ASSERT_EQ(::write(in_.get(), records.data(), static_cast<std::size_t>(size)), size);
  }

  // The next frame out of the output seam.
  bool Receive(Out& frame) {
    for (;;) {
      pollfd p{out_.get(), POLLIN, 0};
      if (::poll(&p, 1, 5000) != 1) return false;
      input_event ev;
      if (::read(out_.get(), &ev, sizeof ev) != sizeof ev) return false;
      if (ev.type == EV_SYN) return true;
      for (std::size_t k = 0; k < 6; ++k) {
        if (ev.type == EV_ABS && ev.code == std::array{ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ}[k]) {
          frame.axes[k] = ev.value;
        }
      }
      if (ev.type == EV_KEY && ev.code == BTN_TRIGGER) frame.buttonA = ev.value;
    }
  }

  TempDir product;
  TempDir scratch;
  ScopedEnv store{"TANDRIX_REGISTRY", scratch.Host("registry.db").c_str()};
  ScopedEnv runtime{"XDG_RUNTIME_DIR", scratch.path().c_str()};
  ScopedEnv headless{"TANDRIX_HEADLESS", "1"};
  UniqueFd in_, out_;
};

// Expected values worked out by hand from the stock files (driver/README.md
// shows the second row step by step); the 16.16 form of the stored values
// may move a result by a count or two.
//   Joy3D: BEGINNER, filter single axis, map ZUVYRX, SENS_BEG_USER with
//          master 0.80.   quake: INTERMEDIATE, translations only, map
//          XUYZRV, SENS_INT_USER with master 1.00.
struct Row {
  const char* what;
  Axes in;
  Joy joy3d, quake;
};
const Row kFrames[] = {
    // TX 300 is a curve point: Joy3D 59.5 * 0.65 * 0.8 = 30.94 on Z;
    // quake 67 * 0.8 = 53.6 on X.
    {"TX right", {300, 0, 0, 0, 0, 0},
     {32767, 32767, 42905, 32767, 32767, 32767}, {50331, 32767, 32767, 32767, 32767, 32767}},
    // Joy3D keeps RY alone: -58.881 * 0.5 * 0.8 on R; quake keeps the
    // translations: TZ 45.842 * 0.85 on Y.
    {"walk and turn", {0, 0, 200, 0, -300, 0},
     {32767, 32767, 32767, 25050, 32767, 32767}, {32767, 45535, 32767, 32767, 32767, 32767}},
    // A full push down: -100 * 0.52 on U (Joy3D), -100 * 0.7 on U (quake).
    {"TY full down", {0, -512, 0, 0, 0, 0},
     {32767, 32767, 32767, 32767, 15728, 32767}, {32767, 32767, 32767, 32767, 9830, 32767}},
    // Inside both dead zones everything rests.
    {"dead zone", {30, -20, 10, 15, -12, 0},
     {32767, 32767, 32767, 32767, 32767, 32767}, {32767, 32767, 32767, 32767, 32767, 32767}},
};

void ExpectFrames(DriverSeams& t, bool quake) {
  for (const Row& row : kFrames) {
    SCOPED_TRACE(std::string(quake ? "quake: " : "Joy3D: ") + row.what);
    t.Send(row.in, true);
    Out out;
    ASSERT_TRUE(t.Receive(out));
    const Joy& want = quake ? row.quake : row.joy3d;
    for (std::size_t k = 0; k < 6; ++k) EXPECT_NEAR(out.axes[k], want[k], 2) << "joystick axis " << k;
    EXPECT_EQ(out.buttonA, 1);
  }
}

TEST_F(DriverSeams, EachGameGetsItsTuningWithinOneMonitorTick) {
  auto driver = StartDriver();
  ASSERT_TRUE(Plug()) << Output();
  ChildProcess monitor(product.Host("Tandmon"), {}, product.path(), Log());
  ASSERT_TRUE(WaitFor([&] { return StateHas("Joy3D.vcg"); })) << State() << Output();
  ExpectFrames(*this, false);

  std::filesystem::create_directories(scratch.Host("quake"));
  std::filesystem::copy_file("/bin/sleep", scratch.Host("quake/quake.exe"));
  ::chmod(scratch.Host("quake/quake.exe").c_str(), 0755);
  const auto started = std::chrono::steady_clock::now();
  ChildProcess game(scratch.Host("quake/quake.exe"), {"60"}, scratch.path(), Log());
  ASSERT_TRUE(WaitFor([&] { return StateHas("quake.vcg"); })) << State() << Output();
  // One tick is 3 seconds; the change reaches the driver in that tick.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(4500));
  ExpectFrames(*this, true);

  game.Kill();
  ASSERT_TRUE(WaitFor([&] { return StateHas("Joy3D.vcg"); })) << State() << Output();
  ExpectFrames(*this, false);

  ChildProcess close(product.Host("Tandmon"), {"-close"}, product.path(), Log());
  EXPECT_EQ(close.Wait(), 0);
  ::kill(driver->pid(), SIGTERM);
  EXPECT_EQ(driver->Wait(), 0) << Output();
  EXPECT_FALSE(scratch.Exists("tandrix/vexord.sock"));
}

// Tells the driver of a change as the tuning library does.
void TellDriver() {
  EXPECT_EQ(MVA_OpenDriver(), 1);
  EXPECT_EQ(MVA_CloseDriver(), 1);
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST_F(DriverSeams, UnplugBadValuesAndNoUinputKeepTheLastGoodTuning) {
  {
    platform::ScopedSystemRegistry reg(platform::OpenSqliteRegistry(scratch.Host("registry.db"), nullptr));
    ASSERT_EQ(MVA_ActivateCfgFile(product.Host("games/quake.vcg")), 0);  // no driver yet: no harm
  }
  auto driver = StartDriver();
  ASSERT_TRUE(Plug()) << Output();
  ASSERT_TRUE(WaitFor([&] { return StateHas("quake.vcg"); })) << Output();
  Out out;
  Send(kFrames[0].in, false);
  ASSERT_TRUE(Receive(out));
  EXPECT_NEAR(out.axes[0], kFrames[0].quake[0], 2);
  std::string status;
  EXPECT_EQ(Status(status), 0) << status;
  EXPECT_NE(status.find("\"driver\": {\"running\": true, \"pid\": " + std::to_string(driver->pid()) +
                        ", \"device\": \"input seam " + In()),
            std::string::npos) << status;
  EXPECT_NE(status.find("quake.vcg\", \"tuningProblem\": null, \"missing\": []"), std::string::npos) << status;

  // Unplugged: the seam's writer goes (ENODEV for the driver); it says so
  // and waits; the device comes back as a new node.
  in_.reset();
  ASSERT_TRUE(WaitFor([&] { return Output().find("is gone") != std::string::npos; })) << Output();
  ASSERT_EQ(::unlink(In().c_str()), 0);
  ASSERT_EQ(::mkfifo(In().c_str(), 0600), 0);
  ASSERT_TRUE(Plug()) << Output();
  Send(kFrames[1].in, false);
  ASSERT_TRUE(Receive(out));
  EXPECT_NEAR(out.axes[1], kFrames[1].quake[1], 2);
  EXPECT_EQ(Count(Output(), "is gone"), 1) << Output();

  // A malformed X table: the quake tuning stays, said once for two changes.
  {
    platform::ScopedSystemRegistry reg(platform::OpenSqliteRegistry(scratch.Host("registry.db"), nullptr));
    platform::Registry& r = platform::SystemRegistry();
    platform::ScopedKey key(r);
    ASSERT_EQ(r.OpenKey(platform::kHKeyLocalMachine,
                        std::string(kMvaJoystickRoot) + "\\JoystickDriver<0000>\\" + std::string(kMvaDeviceSubkey),
                        key.handle()),
              platform::kRegOk);
    std::vector<std::uint8_t> bad(kMvaAxisTableSize, 0);
    bad[0] = 99;  // 99 segments of 32 at most
    ASSERT_EQ(r.SetBinary(key.get(), "Joystick1OEMxAxis", bad.data(), bad.size()), platform::kRegOk);
    TellDriver();
    TellDriver();
  }
  // The driver hears the changes on its own time: under load a frame can
  // pass before it does, so the message is waited for, not expected at once.
  ASSERT_TRUE(WaitFor([&] { return Count(Output(), "keeping the last good tuning") >= 1; })) << Output();
  Send(kFrames[0].in, false);
  ASSERT_TRUE(Receive(out));
  EXPECT_NEAR(out.axes[0], kFrames[0].quake[0], 2);
  EXPECT_EQ(Count(Output(), "keeping the last good tuning"), 1) << Output();
  EXPECT_NE(Output().find("99 segments"), std::string::npos) << Output();
  ::kill(driver->pid(), SIGTERM);
  ASSERT_EQ(driver->Wait(), 0) << Output();

  // No uinput: a clear message, no crash, changes still taken; the
  // tuning read before stays in force.
  ChildProcess bare(VEXORD_EXE, {"--input-seam", In(), "--uinput", scratch.Host("no/uinput")},
                    scratch.path(), Log());
  ASSERT_TRUE(WaitFor([&] { return StateHas("modprobe uinput"); })) << Output();
  TellDriver();
  EXPECT_TRUE(bare.Running());
  EXPECT_EQ(Status(status), 1) << status;
  EXPECT_NE(status.find("there is no " + scratch.Host("no/uinput")), std::string::npos) << status;
  EXPECT_TRUE(StateHas("quake.vcg") ||
              StateHas("tuning-problem=keeping")) << State();
  ::kill(bare.pid(), SIGTERM);
  EXPECT_EQ(bare.Wait(), 0) << Output();

  // With no driver running the port fails as where the driver is missing.
  EXPECT_EQ(MVA_OpenDriver(), 0);
  EXPECT_EQ(MVA_CloseDriver(), 0);
}

}  // namespace
