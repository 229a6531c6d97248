// The recording joystick service and driver port that tests install.
#include <string>

#include "platform/joystick.h"

namespace platform {

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
