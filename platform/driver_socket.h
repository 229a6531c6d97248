// Where the running driver listens: a Unix socket in the user's runtime
// folder, which only its owner may enter. The driver port of this host
// reaches the driver there; the driver says what it does in a state file
// beside it.
//
// The exchange is one byte each way: the port sends a control code (1 a
// configuration change begins, 2 it has ended), the driver answers 0 when
// it took the code. On 2 the driver reads the tuning again before it
// answers, so the frame after the answer uses the new values.
#pragma once

#include <memory>
#include <string>

#include "platform/joystick.h"

namespace platform {

// $XDG_RUNTIME_DIR/tandrix (else /run/user/UID/tandrix); empty when the
// user has no runtime folder.
std::string DriverRuntimeFolder();
std::string DriverSocketPath();  // <folder>/vexord.sock
std::string DriverStatePath();   // <folder>/vexord.state

inline constexpr unsigned char kDriverAnswerOk = 0;
inline constexpr unsigned char kDriverAnswerRefused = 1;

// The host's driver port: CreateFile on the driver's device path connects
// to the socket; with no driver running it fails with kErrorFileNotFound as
// it does where the driver is missing.
std::unique_ptr<DriverPort> NewSocketDriverPort();

}  // namespace platform
