// The binding of a configuration to the joystick registry.
//
// The device reaches games as an OEM joystick of the system's joystick
// service, served by the driver "vexor.vxd". The driver takes its tuning
// (axis response tables, sensitivities, filter, axis map, COM port) from
// values under the joystick registry keys; this module writes and reads
// them. MVA_ActivateCfgFile makes one configuration file the live tuning.
//
// Every operation reaches its keys afresh through platform::SystemRegistry()
// and keeps no handle between calls. Results follow the library's habit:
// 1/0 or 0/-1, no messages.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tuning/mva_config.h"
#include "tuning/mva_driver_view.h"

// --- registry locations (all under HKEY_LOCAL_MACHINE) ---------------------------

inline constexpr std::string_view kMvaJoystickRoot =
    "System\\CurrentControlSet\\Control\\MediaResources\\Joystick";
inline constexpr std::string_view kMvaDeviceSubkey = "JoystickSettings\\Vexor";
inline constexpr std::string_view kMvaCurrentSettingsSubkey = "CurrentJoystickSettings";
inline constexpr std::string_view kMvaPrivateRoot =
    "System\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\Joystick\\OEM";
inline constexpr std::string_view kMvaPrivateSubkey = "Vexor";

inline constexpr std::string_view kMvaDriverName = "vexor.vxd";
inline constexpr std::string_view kMvaOemName = "Vexor";
inline constexpr std::string_view kMvaNoFile = "No File";
// Letters of the eight "Joystick%dOEM%cAxis" values, in table order
// TX TY TZ RX RY RZ TV RV.
inline constexpr std::string_view kMvaAxisLetters = "xyzruvft";

inline constexpr int kMvaJoystickSlots = 16;   // joystick ids 0 .. 15 are slots 1 .. 16
inline constexpr std::size_t kMvaMaxCfgPath = 255;

// --- value layouts, little-endian ---------------------------------------------------

inline constexpr std::size_t kMvaOemConfigurationSize = 28;
inline constexpr std::size_t kMvaOemComPortOffset = 16;  // "COM1" .. "COM6" and a zero
inline constexpr std::size_t kMvaOemAxisMapOffset = 21;  // six letters and a zero
inline constexpr std::size_t kMvaAxisTableSize = 516;    // 129 int32
inline constexpr std::size_t kMvaSensitivitySize = 28;   // 7 int32
inline constexpr std::size_t kMvaJoyHwConfigSize = 112;  // the joystick service's record

// The 28-byte OEM configuration of a slot. The first sixteen bytes are the
// driver's own; the library only carries them along.
struct MVA_OemConfiguration {
  std::array<std::int32_t, 4> driverData{2000, 60000, -1, -1};
  std::string comPort = "COM1";                       // at most 4 characters
  std::string axisMap = std::string(kMvaDefaultAxisMap);  // at most 6 characters
};

std::array<std::uint8_t, kMvaOemConfigurationSize> MVA_OemConfigurationBytes(
    const MVA_OemConfiguration& cfg);
std::array<std::uint8_t, kMvaAxisTableSize> MVA_AxisTableBytes(const MVA_AxisTable& table);
std::array<std::uint8_t, kMvaSensitivitySize> MVA_SensitivityBytes(
    const std::array<std::int32_t, 7>& factors);
// The joystick service's hardware record with the library's fixed
// contents: Z, R, U and V axes, 7 buttons, present and OEM, every axis
// 0 .. 65535 centred at 32767 and calibrated, hardware type 1000.
std::array<std::uint8_t, kMvaJoyHwConfigSize> MVA_JoyHwConfigBytes();

// The process-wide buffer the OEM configuration operations share: after a
// call it holds the last slot's value.
const std::array<std::uint8_t, kMvaOemConfigurationSize>& MVA_OemConfigurationBuffer();

// --- operations ------------------------------------------------------------------------

// Makes the configuration file at path the live tuning (an empty path means
// no path was given). 0 done; -1 the file could not be read or its values
// could not be written; -2 no joystick slot belongs to the driver. The
// tuning values become visible to other programs together or not at all.
int MVA_ActivateCfgFile(std::string_view path);

// Why an activation failed, for a caller that tells more than the result:
// the file (unreadable), its full path (longer than the driver takes), the
// store (unavailable, locked, read-only, full: the same activation can
// succeed once the store works again; storeStatus says what it answered),
// or no slot bound to the driver.
struct MVA_ActivateError {
  enum Kind { kNone, kFile, kLongPath, kStore, kNoSlot } kind = kNone;
  long storeStatus = 0;  // a platform::RegStatus
};
int MVA_ActivateCfgFile(std::string_view path, MVA_ActivateError* why);

// Writes the tuning values of the file for slot joyId + 1, as one store
// transaction, and leaves its driver view in driverCfg. 0 done; 1 the file
// could not be read or the values could not be written (then none was).
int MVA_ApplyCfgFile(MVA_DriverCfg& driverCfg, std::string_view path, int joyId);

// The joystick id of the first slot bound to the driver. 0, or -1 (and
// joyId -1) when no slot is.
int MVA_FindJoystickId(int& joyId);

// Binds slot joyId to the driver and sets its COM port (1 .. 6) and axis
// map, with the driver told around it. Returns 0.
int MVA_SetupJoystick(int joyId, int comPort, std::string_view axisMap);

// The COM port and axis map fields of a slot's OEM configuration. A slot
// without that value is left alone. Set: 1 written, 0 otherwise (a port
// outside 1 .. 6 or a map longer than six characters writes nothing).
// Get: 1 read; 0 when the value is missing, too short or its field has no
// terminating zero, and then port / map are left as they were. A port
// field that is not "COM1" .. "COM6" leaves port as it was.
int MVA_SetComPort(int joyId, int port);
int MVA_GetComPort(int joyId, int& port);
int MVA_SetAxisMap(int joyId, std::string_view map);
int MVA_GetAxisMap(int joyId, std::string& map);

// The private values. Get: 0 and the text when the value exists and is
// shorter than size; -1 otherwise (buffer untouched). Set: 0 or -1.
int MVA_GetDosInstallDirectory(std::string& buffer, std::size_t size);
int MVA_GetOrientation(std::string& buffer, std::size_t size);
int MVA_GetLevel(std::string& buffer, std::size_t size);
int MVA_SetOrientation(std::string_view text);
int MVA_SetLevel(std::string_view text);
