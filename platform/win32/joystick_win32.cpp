// The joystick service and the driver port on Windows: winmm's
// joyGetDevCapsA and joyConfigChanged, the control panel's own applet,
// and the driver through CreateFileA and DeviceIoControl. Where the driver
// is not installed its open fails, as on any machine without it.

#include "platform/host_detail.h"
#include "platform/joystick.h"
#include "platform/win32/windows_api.h"

// winmm exports it; the SDK declares it only in the driver kit's headers.
extern "C" MMRESULT WINAPI joyConfigChanged(DWORD flags);

namespace platform {
namespace {

class WinmmJoystickService final : public JoystickService {
 public:
  unsigned GetDevCaps(unsigned joyId, unsigned capsSize, std::string& regKey) override {
    JOYCAPSA caps{};
    if (capsSize != sizeof caps) return kJoyErrInvalidParam;
    MMRESULT r = ::joyGetDevCapsA(joyId == kJoyIdAll ? static_cast<UINT_PTR>(-1) : joyId, &caps,
                                  sizeof caps);
    if (r == JOYERR_NOERROR) regKey = caps.szRegKey;
    return r;
  }
  unsigned ConfigChanged(unsigned flags) override { return ::joyConfigChanged(flags); }
  bool ShowControlPanel(void* window) override {
    // The applet's own entry point first, as the original called it;
    // else the control panel opens it by name.
    if (HMODULE cpl = ::LoadLibraryA("joy.cpl")) {
      using ShowJoyCpl = void(WINAPI*)(HWND);
      auto show = reinterpret_cast<ShowJoyCpl>(
          reinterpret_cast<void*>(::GetProcAddress(cpl, "ShowJoyCPL")));
      if (show != nullptr) {
        show(static_cast<HWND>(window));
        ::FreeLibrary(cpl);
        return true;
      }
      ::FreeLibrary(cpl);
    }
    return reinterpret_cast<INT_PTR>(::ShellExecuteA(static_cast<HWND>(window), "open",
                                                     "control.exe", "joy.cpl", nullptr,
                                                     SW_SHOWNORMAL)) > 32;
  }
};

class Win32DriverPort final : public DriverPort {
 public:
  DriverHandle CreateFile(std::string_view path, std::uint32_t access, std::uint32_t shareMode,
                          std::uint32_t disposition, std::uint32_t flags) override {
    HANDLE h = ::CreateFileA(std::string(path).c_str(), access, shareMode, nullptr, disposition,
                             flags, nullptr);
    lastError_ = h == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    return h == INVALID_HANDLE_VALUE ? kInvalidDriverHandle : reinterpret_cast<DriverHandle>(h);
  }
  std::uint32_t LastError() override { return lastError_; }
  bool DeviceIoControl(DriverHandle handle, std::uint32_t code) override {
    DWORD returned = 0;
    return ::DeviceIoControl(reinterpret_cast<HANDLE>(handle), code, nullptr, 0, nullptr, 0,
                             &returned, nullptr) != 0;
  }
  bool CloseHandle(DriverHandle handle) override {
    return ::CloseHandle(reinterpret_cast<HANDLE>(handle)) != 0;
  }

 private:
  std::uint32_t lastError_ = 0;
};

}  // namespace

std::unique_ptr<JoystickService> hostdetail::NewHostJoystickService() {
  return std::make_unique<WinmmJoystickService>();
}

std::unique_ptr<DriverPort> hostdetail::NewHostDriverPort() { return std::make_unique<Win32DriverPort>(); }

}  // namespace platform
