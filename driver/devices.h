// The driver's two ends at the kernel: the six-axis device it reads and the
// virtual joystick it posts to. Each end also has a seam at the file
// descriptor: the input seam reads struct input_event records from a file
// or pipe, the output seam writes the records the virtual joystick would
// get, so the whole driver runs where the kernel offers neither end.
#pragma once

#include <linux/input.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "driver/transform.h"

namespace vexord {

// How a device's values map onto the tables' domain -512..512.
struct Layout {
  bool relative = false;                 // EV_REL X..RZ rather than EV_ABS
  std::array<int, kDeviceAxes> min{}, max{};  // EV_ABS ranges
  double relFullScale = 350.0;           // an EV_REL value that counts as a full push
  std::vector<unsigned> buttons;         // key codes of A .. F, in that order
};

// Collects events into frames: the state of six axes and six buttons.
class FrameBuilder {
 public:
  explicit FrameBuilder(Layout layout) : layout_(std::move(layout)) {}
  // True when the event ends a frame (SYN_REPORT).
  bool Take(const input_event& ev);
  const std::array<double, kDeviceAxes>& axes() const { return axes_; }
  unsigned buttons() const { return buttons_; }

 private:
  Layout layout_;
  std::array<double, kDeviceAxes> axes_{};
  unsigned buttons_ = 0;
};

class InputDevice {
 public:
  virtual ~InputDevice() = default;
  virtual int Fd() const = 0;
  virtual const std::string& Name() const = 0;
  virtual const Layout& layout() const = 0;
  // 1 an event, 0 none ready now, -ENODEV the device is gone, another
  // negative errno on a read failure.
  virtual int Next(input_event& ev) = 0;
};

// A device node, grabbed so the desktop does not act on it too. Null with
// why when it cannot be opened or is no six-axis device.
std::unique_ptr<InputDevice> OpenEvdevInput(const std::string& path, std::string& why);
// The input seam: a file or pipe of records with axes on -512..512 (EV_ABS)
// and buttons BTN_0 .. BTN_5. Its end (the writer gone, the file read
// through) is the device unplugged.
std::unique_ptr<InputDevice> OpenSeamInput(const std::string& path, std::string& why);

struct Candidate {
  std::string path;
  std::string name;
};
// The six-axis devices under /dev/input (six axes TX..RZ as EV_ABS or EV_REL
// and buttons), in node order. wanted, when given, is a node path or a part
// of the device's name. The virtual joystick is never one.
std::vector<Candidate> FindDevices(const std::string& wanted);

inline constexpr const char kVirtualName[] = "Tandrix virtual joystick";

class OutputDevice {
 public:
  virtual ~OutputDevice() = default;
  virtual const std::string& Name() const = 0;
  // Posts one frame: six joystick axes X Y Z R U V and buttons A .. F.
  virtual bool Post(const std::array<std::int32_t, kDeviceAxes>& axes, unsigned buttons) = 0;
};

// The virtual joystick through uinput at uinputPath. Null with why (what
// is missing and how to get it) when it cannot be made.
std::unique_ptr<OutputDevice> OpenUinputOutput(const std::string& uinputPath, std::string& why);
// Why uinputPath cannot be used, after open failed with errno error, and
// how to mend it.
std::string UinputProblem(const std::string& uinputPath, int error);
// The output seam: the same records written to a file or pipe.
std::unique_ptr<OutputDevice> OpenSeamOutput(const std::string& path, std::string& why);

// Output axis and button codes, in joystick order.
inline constexpr std::array<unsigned, kDeviceAxes> kJoystickAxes = {ABS_X,  ABS_Y,  ABS_Z,
                                                                   ABS_RX, ABS_RY, ABS_RZ};
inline constexpr std::array<unsigned, kButtons> kJoystickButtons = {
    BTN_TRIGGER, BTN_THUMB, BTN_THUMB2, BTN_TOP, BTN_TOP2, BTN_PINKIE};

}  // namespace vexord
