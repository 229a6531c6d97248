#include "ui/frontend.h"
#include "ui/module_abi.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "ui/display.h"
#include "ui/headless/headless_app.h"

namespace ui {

std::vector<std::string> QtModuleCandidates() {
  std::vector<std::string> candidates;
  if (const char* chosen = std::getenv("TANDRIX_QT_MODULE"); chosen != nullptr && chosen[0] != '\0') {
    candidates.push_back(chosen);
  }
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    std::string dir(exe, static_cast<std::size_t>(n));
    dir.erase(dir.rfind('/'));
    candidates.push_back(dir + "/" + kQtModuleName);
    candidates.push_back(dir + "/../lib/tandrix/" + kQtModuleName);
  }
#ifdef TANDRIX_QT_MODULE_BUILD_PATH
  candidates.push_back(TANDRIX_QT_MODULE_BUILD_PATH);
#endif
  return candidates;
}

std::unique_ptr<Application> CreateApplication(int& argc, char** argv, std::string* why,
                                               const ImageTable* images) {
  if (images == nullptr) images = &ProgramImages();
  std::string reason;
  if (!HasDisplay()) {
    reason = "no display";
  } else if (!DisplayReachable(&reason)) {
    // reason says why
  } else {
    for (const std::string& path : QtModuleCandidates()) {
      if (::access(path.c_str(), R_OK) != 0) continue;
      // Never closed: the application it makes lives until the program ends.
      void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (module == nullptr) {
        const char* error = ::dlerror();
        reason = error != nullptr ? error : ("cannot load " + path);
        continue;
      }
      auto factory = reinterpret_cast<QtModuleFactory>(::dlsym(module, kQtModuleFactory));
      if (factory == nullptr) {
        reason = path + " has no entry point";
        continue;
      }
      if (Application* app = factory(&argc, argv, images, kQtModuleAbi)) {
        return std::unique_ptr<Application>(app);
      }
      reason = path + " could not start the Qt front end";
    }
    if (reason.empty()) reason = std::string(kQtModuleName) + " not found";
  }
  if (why != nullptr) *why = reason;
  return std::make_unique<headless::HeadlessApplication>();
}

}  // namespace ui
