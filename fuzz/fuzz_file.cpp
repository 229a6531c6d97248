#include "fuzz_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <filesystem>

namespace fuzz {
namespace {

// The scratch folder, removed with everything in it when the process ends.
struct Scratch {
  Scratch() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tandrix-fuzz-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
    dir = tmpl;
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string dir;
};

const std::string& ScratchDir() {
  static const Scratch scratch;
  return scratch.dir;
}

}  // namespace

std::string ScratchPath(const char* name) { return ScratchDir() + "/" + name; }

std::string WriteInput(const uint8_t* data, std::size_t size, const char* name) {
  std::string path = ScratchPath(name);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}

}  // namespace fuzz
