// The live tuning as the library leaves it in the registry store: the
// values of the slot whose callout is the driver's.
#pragma once

#include <optional>
#include <string>

#include "driver/transform.h"

namespace vexord {

// Reads the slot's tables, sensitivities, filter, axis map and file name
// from the system store. Nothing, with why, when the store cannot be read,
// no slot is bound to the driver or a value is missing or malformed.
std::optional<Tuning> ReadStoreTuning(std::string& why);

}  // namespace vexord
