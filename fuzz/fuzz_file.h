// The readers take a path, so each input is written to a scratch file first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Writes the input to a file in this process's scratch folder (removed at
// exit) and returns its path; name tells several files apart.
std::string WriteInput(const uint8_t* data, std::size_t size, const char* name = "input.vcg");
// A path in the scratch folder.
std::string ScratchPath(const char* name);

}  // namespace fuzz
