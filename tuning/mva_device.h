// The device driver: opened around every rewrite of the joystick registry
// values, so that it is loaded and told that a configuration change begins
// (control code 1) and has ended (control code 2).
#pragma once

#include <cstdint>
#include <string_view>

inline constexpr std::string_view kMvaDevicePath = "\\\\.\\VEXOR.VXD";
inline constexpr std::uint32_t kMvaControlBegin = 1;
inline constexpr std::uint32_t kMvaControlEnd = 2;

// 1 when the driver was opened and accepted control code 1, else 0. The
// handle stays open whenever the open itself succeeded.
int MVA_OpenDriver();
// 0 at once when the driver is not open; otherwise sends control code 2,
// closes the handle and returns 1 when the control code was accepted.
int MVA_CloseDriver();
// True between a successful open and the matching close.
bool MVA_DriverIsOpen();
