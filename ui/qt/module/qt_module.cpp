// The entry point of the Qt front end when it is loaded as a module.
#include "ui/frontend.h"
#include "ui/module_abi.h"
#include "ui/qt/qt_app.h"

extern "C" __attribute__((visibility("default"))) ui::Application* TandrixCreateQtApplication(
    int* argc, char** argv, const ui::ImageTable* images, int abi) {
  if (abi != ui::kQtModuleAbi || argc == nullptr) return nullptr;
  return new ui::qt::QtApplication(*argc, argv, images);
}
