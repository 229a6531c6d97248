// The steps of "tandrix install" that every host takes: the product files
// copied into DIR, the programs put beside them, the customizer named in
// Tandmon.ini and the registry seeded with the joystick keys the system
// expects. cmd_install.cpp adds the Linux desktop's own (the registry store
// file, links, autostart), cmd_install_win32.cpp the Windows registry.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/registry.h"

namespace tools {

// What an install made, taken away again unless the install completes: one
// that fails part-way (a disk that fills) must not leave a half-made folder
// behind, where later commands would take it for a product folder. What was
// there before is never touched.
class MadeByInstall {
 public:
  MadeByInstall() = default;
  MadeByInstall(const MadeByInstall&) = delete;
  MadeByInstall& operator=(const MadeByInstall&) = delete;
  ~MadeByInstall();

  // Notes path (and its missing folders) when nothing is there yet; call
  // before making it.
  void Note(const std::filesystem::path& path);
  // The install is complete: everything stays.
  void Keep() { kept_ = true; }

 private:
  std::vector<std::filesystem::path> made_;  // in the order they were made
  bool kept_ = false;
};

// The folder a DIR argument names (a DOS or host path), made absolute;
// nullopt when it names none.
std::optional<std::filesystem::path> FolderArgument(const std::string& arg);

// DIR made and the product files copied into it (a file already there is
// the user's and is kept); a folder so deep that a configuration path would
// be longer than the driver takes is refused before anything is made.
// 0, or the exit code after saying why.
struct ProductCopy {
  int copied = 0;
  int kept = 0;
};
int MakeProductFolder(const std::filesystem::path& dir, MadeByInstall& made, ProductCopy& copy);

// Puts a new dst in place: make writes it under a temporary name of its
// own beside dst (installs running at the same time never share one), and
// a rename puts it over dst, so a program that is running from dst keeps
// running and no half file is ever seen. A failed step leaves dst as it was
// and no temporary behind.
bool PutInPlace(const std::filesystem::path& dst, std::string& error,
                const std::function<void(const std::filesystem::path& tmp, std::error_code& ec)>& make);

// Copies src over dst; the copy is on the disk before it takes dst's place.
bool ReplaceFile(const std::filesystem::path& src, const std::filesystem::path& dst, std::string& error);

// The system's programs found for this tool (see FindProgram) copied into
// dir; their names go to copied. A program not built is left out.
bool CopyPrograms(const std::filesystem::path& dir, MadeByInstall& made, std::vector<std::string>& copied,
                  std::string& error);

// The program names of the system, as files of this host.
std::vector<std::string> ProgramNames();
// The customizer, as the monitor starts it and finds it running.
std::string CustomizerProgram();
std::string MonitorProgram();

// Names the customizer in DIR's Tandmon.ini.
bool NameCustomizer(const std::filesystem::path& dir, MadeByInstall& made, std::string& error);

// Joystick slot 1 bound to the driver under the key the joystick service
// names, its OEM configuration (a whole one already there is kept), the
// private key with DOS software's folder and, when ports is given, the
// serial port map (only those ports). False with error when a write fails.
bool SeedStore(platform::Registry& reg, const std::string& dosDir, const std::vector<std::string>* ports,
               std::string& error);

}  // namespace tools
