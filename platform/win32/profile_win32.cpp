// Private-profile files on Windows: the system's own functions, whose
// behaviour is the definition of the format. Only the file name is made a
// full path first: a bare name would make the system look in the Windows
// folder, while every program here means its current folder.
#include <vector>

#include "platform/dospath.h"
#include "platform/file.h"
#include "platform/profile.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace {

std::string FullName(std::string_view file) {
  if (auto host = ToHostPath(file)) return *host;
  return std::string(file);
}

std::string Get(std::string_view section, std::string_view key, std::string_view def,
                std::size_t bufferSize, const std::string& file) {
  if (bufferSize == 0) return {};
  std::vector<char> buf(bufferSize);
  DWORD n = ::GetPrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                       std::string(def).c_str(), buf.data(),
                                       static_cast<DWORD>(bufferSize), file.c_str());
  return std::string(buf.data(), n);
}

int GetInt(std::string_view section, std::string_view key, int def, const std::string& file) {
  return static_cast<int>(::GetPrivateProfileIntA(std::string(section).c_str(),
                                                  std::string(key).c_str(), def, file.c_str()));
}

}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, std::size_t bufferSize,
                                    std::string_view file) {
  return Get(section, key, def, bufferSize, FullName(file));
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int def,
                         std::string_view file) {
  return GetInt(section, key, def, FullName(file));
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view file) {
  return ::WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                      std::string(value).c_str(), FullName(file).c_str()) != 0;
}

// The system caches the files it reads, so each lookup asks it again.
PrivateProfile::PrivateProfile(std::string_view file) : file_(FullName(file)) {
  DWORD attrs = ::GetFileAttributesA(file_.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return;  // a missing file is simply empty
  std::string probe;
  readable_ = ReadFileHead(file_, 1, probe);
}

std::string PrivateProfile::GetString(std::string_view section, std::string_view key,
                                      std::string_view def, std::size_t bufferSize) const {
  return Get(section, key, def, bufferSize, file_);
}

int PrivateProfile::GetInt(std::string_view section, std::string_view key, int def) const {
  return platform::GetInt(section, key, def, file_);
}

namespace testing {
// The system's functions do their own serialising.
void LockProfileWrites(bool) {}
}  // namespace testing

}  // namespace platform
