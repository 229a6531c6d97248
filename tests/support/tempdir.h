// A fresh temporary folder per test, removed with everything in it.
#pragma once

#include <string>

namespace testsupport {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }  // host path
  std::string Host(const std::string& relative) const { return path_ + "/" + relative; }
  std::string Dos() const;                             // DOS form of path()

  // Writes bytes exactly as given (no text-mode translation).
  void Write(const std::string& relative, const std::string& bytes) const;
  std::string Read(const std::string& relative) const;  // "" when missing
  bool Exists(const std::string& relative) const;

 private:
  std::string path_;
};

// Changes the working directory for its lifetime.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::string& hostPath);
  ~ScopedCwd();

 private:
  std::string old_;
};

// Sets an environment variable for its lifetime (unset when value is null).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();

 private:
  std::string name_;
  std::string old_;
  bool hadOld_ = false;
};

}  // namespace testsupport
