// A product folder with stand-ins for the installation's files that the
// service setup names (support\specmva.exe, tdxload.bat, the front ends in
// games\), and a game folder elsewhere holding a stand-in duke3d.exe.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dospath.h"
#include "support/tempdir.h"

namespace svctest {

// Bytes no text-mode step may touch: CR, LF, NUL and high bytes.
inline std::string Binary(const std::string& tag, std::size_t size) {
  std::string bytes;
  bytes.reserve(size);
  for (std::size_t i = 0; bytes.size() < size; ++i) {
    bytes += tag[i % tag.size()];
    bytes += static_cast<char>(i * 37 % 256);
    if (i % 11 == 0) bytes += "\r\n";
    if (i % 13 == 0) bytes += '\0';
  }
  bytes.resize(size);
  return bytes;
}

// The lines of a text-mode file, each without its CR LF.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

class ServiceFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    product.Write("support/specmva.exe", stub);
    product.Write("tdxload.bat", "rem loads the DOS driver\r\n");
    for (const char* frontEnd : {"mvaduke.exe", "mvaquake.exe", "mvadcent.exe"}) {
      product.Write(std::string("games/") + frontEnd, "front end");
    }
    games.Write("duke/duke3d.exe", duke);
    work = platform::CurrentDirectory();
    dukeDir = games.Dos() + "\\duke";
    dukeExe = dukeDir + "\\duke3d.exe";
  }

  // The settings file, made as "tandmon.ini" when the product had none.
  std::string Ini() const {
    return product.Exists("Tandmon.ini") ? product.Read("Tandmon.ini") : product.Read("tandmon.ini");
  }
  std::string Log() const { return product.Read("error.log"); }

  const std::string stub = Binary("STUB", 3000);
  const std::string duke = Binary("DUKE", 25000);
  testsupport::TempDir product;
  testsupport::TempDir games;
  testsupport::ScopedCwd cwd{product.path()};
  std::string work;     // the product folder in DOS form
  std::string dukeDir;  // DOS form
  std::string dukeExe;
};

}  // namespace svctest
