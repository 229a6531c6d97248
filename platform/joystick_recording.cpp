// The joystick service and the driver port in use: the host's own until
// something else is installed, such as the recording ones tests install.
#include <mutex>
#include <string>

#include "platform/host_detail.h"
#include "platform/joystick.h"

namespace platform {
namespace {

std::mutex g_mutex;
std::unique_ptr<JoystickService> g_service;
std::unique_ptr<DriverPort> g_port;

}  // namespace

JoystickService& SystemJoystickService() {
  std::lock_guard lock(g_mutex);
  if (!g_service) g_service = hostdetail::NewHostJoystickService();
  return *g_service;
}

std::unique_ptr<JoystickService> SetJoystickService(std::unique_ptr<JoystickService> service) {
  std::lock_guard lock(g_mutex);
  std::unique_ptr<JoystickService> old = std::move(g_service);
  g_service = std::move(service);
  return old;
}

DriverPort& SystemDriverPort() {
  std::lock_guard lock(g_mutex);
  if (!g_port) g_port = hostdetail::NewHostDriverPort();
  return *g_port;
}

std::unique_ptr<DriverPort> SetDriverPort(std::unique_ptr<DriverPort> port) {
  std::lock_guard lock(g_mutex);
  std::unique_ptr<DriverPort> old = std::move(g_port);
  g_port = std::move(port);
  return old;
}

namespace testing {

namespace {
void Note(const std::shared_ptr<CallLog>& log, std::string line) {
  if (log) log->push_back(std::move(line));
}
}  // namespace

RecordingJoystickService::RecordingJoystickService(std::shared_ptr<CallLog> l)
    : log(l ? std::move(l) : std::make_shared<CallLog>()) {}

unsigned RecordingJoystickService::GetDevCaps(unsigned joyId, unsigned capsSize, std::string& regKey) {
  Note(log, "devcaps " + std::to_string(joyId) + " " + std::to_string(capsSize));
  if (devCapsResult != kJoyErrNoError) return devCapsResult;
  regKey = driverKey;
  return kJoyErrNoError;
}

unsigned RecordingJoystickService::ConfigChanged(unsigned flags) {
  Note(log, "changed " + std::to_string(flags));
  ++configChangedCount;
  return kJoyErrNoError;
}

bool RecordingJoystickService::ShowControlPanel(void*) {
  Note(log, "panel");
  return panelAvailable;
}

RecordingDriverPort::RecordingDriverPort(std::shared_ptr<CallLog> l)
    : log(l ? std::move(l) : std::make_shared<CallLog>()) {}

DriverHandle RecordingDriverPort::CreateFile(std::string_view path, std::uint32_t access,
                                             std::uint32_t shareMode, std::uint32_t disposition,
                                             std::uint32_t flags) {
  Note(log, "open " + std::string(path) + " " + std::to_string(access) + " " +
                std::to_string(shareMode) + " " + std::to_string(disposition) + " " +
                std::to_string(flags));
  if (!present) {
    lastError_ = kErrorFileNotFound;
    return kInvalidDriverHandle;
  }
  ++openHandles;
  return next_++;
}

std::uint32_t RecordingDriverPort::LastError() { return lastError_; }

bool RecordingDriverPort::DeviceIoControl(DriverHandle handle, std::uint32_t code) {
  Note(log, "control " + std::to_string(code));
  return acceptControl && handle != kInvalidDriverHandle;
}

bool RecordingDriverPort::CloseHandle(DriverHandle handle) {
  Note(log, "close");
  if (handle == kInvalidDriverHandle || openHandles == 0) return false;
  --openHandles;
  return true;
}

}  // namespace testing
}  // namespace platform
