// The system's joystick service and the port to the device driver.
//
// The tuning library tells two outside parties that the joystick
// configuration changed: the joystick service (which names the registry key
// of its driver and takes configuration-change notices) and the device
// driver (opened by its device path, told with control codes when a
// configuration change begins and ends, closed again). Both are pluggable:
// a Win32 build passes the calls through to joyGetDevCapsA,
// joyConfigChanged, CreateFileA, DeviceIoControl and CloseHandle; this
// build answers the service's questions itself and reaches the driver
// program (vexord) through its socket (platform/driver_socket.h); with no
// driver running every open fails as it does on a machine where the driver
// is missing. Tests install recording fakes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// --- joystick service ----------------------------------------------------------

inline constexpr unsigned kJoyErrNoError = 0;
inline constexpr unsigned kJoyErrBadDeviceId = 2;    // MMSYSERR_BADDEVICEID
inline constexpr unsigned kJoyErrInvalidParam = 11;  // MMSYSERR_INVALPARAM
// The joystick id that asks for the service's own capabilities.
inline constexpr unsigned kJoyIdAll = 0xFFFFFFFFu;
// The size of the capabilities record the service fills.
inline constexpr unsigned kJoyCapsSize = 404;

// The driver key name this build's service reports. The installer seeds the
// joystick root with a key of this name.
inline constexpr std::string_view kDefaultJoystickDriverKey = "JoystickDriver<0000>";

class JoystickService {
 public:
  virtual ~JoystickService() = default;
  // As joyGetDevCapsA: kJoyErrNoError and the driver's registry key name
  // (szRegKey) in regKey, or an error code.
  virtual unsigned GetDevCaps(unsigned joyId, unsigned capsSize, std::string& regKey) = 0;
  // As joyConfigChanged: the service re-reads the joystick registry values.
  virtual unsigned ConfigChanged(unsigned flags) = 0;
  // Opens the host's joystick settings program for a window. True when one
  // was started.
  virtual bool ShowControlPanel(void* window) = 0;
};

// The service system code uses; this build's own unless replaced.
JoystickService& SystemJoystickService();
// Replaces it (null restores this build's own). Returns the one replaced.
std::unique_ptr<JoystickService> SetJoystickService(std::unique_ptr<JoystickService> service);

// --- driver port ------------------------------------------------------------------

using DriverHandle = std::intptr_t;
inline constexpr DriverHandle kInvalidDriverHandle = -1;

inline constexpr std::uint32_t kFileFlagDeleteOnClose = 0x04000000;
inline constexpr std::uint32_t kErrorFileNotFound = 2;

class DriverPort {
 public:
  virtual ~DriverPort() = default;
  // As CreateFileA: a handle, or kInvalidDriverHandle (LastError says why).
  virtual DriverHandle CreateFile(std::string_view path, std::uint32_t access,
                                  std::uint32_t shareMode, std::uint32_t disposition,
                                  std::uint32_t flags) = 0;
  virtual std::uint32_t LastError() = 0;
  // As DeviceIoControl with no input or output buffer.
  virtual bool DeviceIoControl(DriverHandle handle, std::uint32_t code) = 0;
  virtual bool CloseHandle(DriverHandle handle) = 0;
};

// The port system code uses: the driver program's socket unless replaced.
DriverPort& SystemDriverPort();
std::unique_ptr<DriverPort> SetDriverPort(std::unique_ptr<DriverPort> port);

namespace testing {

// Records every call in order, as lines such as "devcaps 4294967295 404",
// "changed 0", "panel", "open \\.\VEXOR.VXD 0 0 0 67108864", "control 1",
// "close". A service and a port may share one log so the order of their
// calls shows.
using CallLog = std::vector<std::string>;

class RecordingJoystickService final : public JoystickService {
 public:
  explicit RecordingJoystickService(std::shared_ptr<CallLog> log = nullptr);
  unsigned GetDevCaps(unsigned joyId, unsigned capsSize, std::string& regKey) override;
  unsigned ConfigChanged(unsigned flags) override;
  bool ShowControlPanel(void* window) override;

  std::shared_ptr<CallLog> log;
  std::string driverKey{kDefaultJoystickDriverKey};
  unsigned devCapsResult = kJoyErrNoError;  // set to fail the key-name query
  bool panelAvailable = false;
  int configChangedCount = 0;
};

class RecordingDriverPort final : public DriverPort {
 public:
  explicit RecordingDriverPort(std::shared_ptr<CallLog> log = nullptr);
  DriverHandle CreateFile(std::string_view path, std::uint32_t access, std::uint32_t shareMode,
                          std::uint32_t disposition, std::uint32_t flags) override;
  std::uint32_t LastError() override;
  bool DeviceIoControl(DriverHandle handle, std::uint32_t code) override;
  bool CloseHandle(DriverHandle handle) override;

  std::shared_ptr<CallLog> log;
  bool present = true;       // false: every open fails with kErrorFileNotFound
  bool acceptControl = true; // false: control codes fail
  int openHandles = 0;

 private:
  std::uint32_t lastError_ = 0;
  DriverHandle next_ = 100;
};

}  // namespace testing
}  // namespace platform
