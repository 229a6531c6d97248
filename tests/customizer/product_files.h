// A product folder for customizer tests: the stock files copied into a
// fresh temporary folder that is also the current directory.
#pragma once

#include <filesystem>
#include <string>

#include "customizer/shared_strings.h"
#include "support/tempdir.h"

namespace custtest {

class ProductDir {
 public:
  ProductDir() : cwd_(dir.path()) {
    std::filesystem::copy(TANDRIX_PRODUCT_DIR, dir.path(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    SetStartDirectory(dir.Dos());
    SetGamesDirectory(dir.Dos() + "\\games");
    SetSupportDirectory(dir.Dos() + "\\support");
  }
  ~ProductDir() {
    SetStartDirectory(".");
    SetGamesDirectory(".\\games");
    SetSupportDirectory(".\\support");
  }
  ProductDir(const ProductDir&) = delete;
  ProductDir& operator=(const ProductDir&) = delete;

  testsupport::TempDir dir;

 private:
  testsupport::ScopedCwd cwd_;
};

// The lines of a .vcg file without the one that carries the date it was
// written.
inline std::string WithoutDate(const std::string& text) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(pos, end - pos);
    if (line.find("created by MVA_WriteCfgFile on:") == std::string::npos) out += line;
    pos = end;
  }
  return out;
}

}  // namespace custtest
