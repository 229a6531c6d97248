// Which host's functions a test runs on. The Windows build runs the same
// tables on the system's own functions (Wine's under CI); a row whose
// answer differs there carries that answer in a field of its own, with the
// reason beside it, and says which of the two is right.
#pragma once

namespace testsupport {

#ifdef _WIN32
inline constexpr bool kWin32Host = true;
#else
inline constexpr bool kWin32Host = false;
#endif

// The row's answer on this host.
template <typename T>
const T& OnHost(const T& linux, const T& win32) {
  return kWin32Host ? win32 : linux;
}

}  // namespace testsupport
