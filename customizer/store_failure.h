// What the customizer tells the player when the registry store refused a
// change (another program holds it locked, it is read-only, the disk is
// full): a failure the player can act on is never passed over in silence.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"

// "<lead>: <cause>." with the cause in the store's words; a store that
// cannot be opened at all says why in more of them.
std::string StoreFailureText(std::string_view lead, platform::RegStatus status);
