// What the customizer tests share: configuration files and text in the
// product's own line ends, a temporary product folder and a joystick store.
#pragma once

#include <string>

#include "support/tempdir.h"
#include "tuning/joystick_fixture.h"

namespace custtest {

// "\n" to CR LF, as the product's text files are written.
inline std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// A file of the product folder, byte for byte.
std::string ReadProductFile(const std::string& relative);

// A whole configuration (the stock Generic one, its name, level and
// orientation replaced), as the product ships it.
std::string Vcg(const std::string& name, const std::string& level, const std::string& orientation);

}  // namespace custtest
