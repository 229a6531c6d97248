// Choosing the front end at start-up.
//
// With a display the program runs on the Qt front end, which lives in a
// module of its own (libtandrix_ui_qt.so) loaded only then: a program
// started without a display never maps the Qt libraries at all, which keeps
// it small. Without a display, or when the module cannot be loaded, the
// program runs on HeadlessApplication.
#pragma once

#include <memory>
#include <string>

#include "ui/host.h"
#include "ui/images.h"

namespace ui {

// The module's interface version, kQtModuleAbi, comes from the generated
// ui/module_abi.h: it changes with any change of the ui headers.
inline constexpr const char kQtModuleFactory[] = "TandrixCreateQtApplication";
inline constexpr const char kQtModuleName[] = "libtandrix_ui_qt.so";

// The module's entry point: a new application on Qt, or null.
using QtModuleFactory = Application* (*)(int* argc, char** argv, const ImageTable* images,
                                         int abi);

// Where the module is looked for, in order: $TANDRIX_QT_MODULE, beside the
// executable, ../lib/tandrix/ from it, and the build folder.
std::vector<std::string> QtModuleCandidates();

// The application for this session (see above). *why, when given, says why
// the headless one was chosen. The images are the program's own
// (ProgramImages() unless given).
std::unique_ptr<Application> CreateApplication(int& argc, char** argv, std::string* why = nullptr,
                                               const ImageTable* images = nullptr);

}  // namespace ui
