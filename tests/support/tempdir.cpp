#include "support/tempdir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/dospath.h"

namespace testsupport {

namespace {

// setenv and unsetenv where the C library has them, _putenv_s on Windows
// (where an empty value removes the variable).
void PutEnv(const std::string& name, const char* value) {
#ifdef _WIN32
  ::_putenv_s(name.c_str(), value ? value : "");
#else
  if (value) {
    ::setenv(name.c_str(), value, 1);
  } else {
    ::unsetenv(name.c_str());
  }
#endif
}

}  // namespace

TempDir::TempDir() {
  // A folder that did not exist before, made by this call alone.
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "tandrix-test-%08x", random());
    std::error_code ec;
    if (std::filesystem::create_directory(base / name, ec)) {
      path_ = (base / name).string();
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  // Read-only files and folders left by a test must not stop the clean-up.
  // The walk steps with error codes: a path too long for the host must not
  // throw out of a destructor.
  for (std::filesystem::recursive_directory_iterator it(path_, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    ec.clear();
  }
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Dos() const { return platform::ToDosPath(path_); }

void TempDir::Write(const std::string& relative, const std::string& bytes) const {
  std::filesystem::path p = std::filesystem::path(path_) / relative;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string TempDir::Read(const std::string& relative) const {
  std::ifstream in(std::filesystem::path(path_) / relative, std::ios::binary);
  if (!in) return "";
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool TempDir::Exists(const std::string& relative) const {
  return std::filesystem::exists(std::filesystem::path(path_) / relative);
}

ScopedCwd::ScopedCwd(const std::string& hostPath) {
  old_ = std::filesystem::current_path().string();
  std::filesystem::current_path(hostPath);
}

ScopedCwd::~ScopedCwd() {
  std::error_code ec;
  std::filesystem::current_path(old_, ec);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) {
    old_ = old;
    hadOld_ = true;
  }
  PutEnv(name_, value);
  platform::ReloadDriveTable();
}

ScopedEnv::~ScopedEnv() {
  PutEnv(name_, hadOld_ ? old_.c_str() : nullptr);
  platform::ReloadDriveTable();
}

}  // namespace testsupport
