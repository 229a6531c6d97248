#include "tuning/mva_device.h"

#include "platform/joystick.h"

namespace {

// The one driver handle of the process.
platform::DriverHandle g_driver = platform::kInvalidDriverHandle;

}  // namespace

int MVA_OpenDriver() {
  platform::DriverPort& port = platform::SystemDriverPort();
  // The callers pair every open with a close; should one ever open twice,
  // end the first handle properly rather than lose it and keep the driver
  // loaded for good.
  if (g_driver != platform::kInvalidDriverHandle) MVA_CloseDriver();
  platform::DriverHandle h =
      port.CreateFile(kMvaDevicePath, 0, 0, 0, platform::kFileFlagDeleteOnClose);
  if (h == platform::kInvalidDriverHandle) {
    (void)port.LastError();  // the reason is of no use to the callers
    return 0;
  }
  g_driver = h;
  return port.DeviceIoControl(g_driver, kMvaControlBegin) ? 1 : 0;
}

int MVA_CloseDriver() {
  if (g_driver == platform::kInvalidDriverHandle) return 0;
  platform::DriverPort& port = platform::SystemDriverPort();
  bool ok = port.DeviceIoControl(g_driver, kMvaControlEnd);
  port.CloseHandle(g_driver);
  g_driver = platform::kInvalidDriverHandle;
  return ok ? 1 : 0;
}

bool MVA_DriverIsOpen() { return g_driver != platform::kInvalidDriverHandle; }
