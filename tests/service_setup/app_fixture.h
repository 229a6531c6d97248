// svcsetup on the headless test application, played by a scripted user, in
// the product and game folders of ServiceFolders.
#pragma once

#include <string>

#include "platform/process.h"
#include "service_fixture.h"
#include "service_setup/app/dialogs.h"
#include "service_setup/app/resources.h"
#include "service_setup/app/svcsetup.h"
#include "ui/headless/headless_app.h"

namespace svctest {

class SvcsetupTest : public ServiceFolders {
 protected:
  void SetUp() override {
    ServiceFolders::SetUp();
    ui::SetApplication(&app);
  }
  void TearDown() override { ui::SetApplication(nullptr); }

  // One start of the program with this command line, dialogs shown to the
  // scripted user.
  int Run(const std::string& commandLine) {
    return RunServiceSetup(app, commandLine, true, platform::ProgramPath());
  }
  ui::headless::ScriptedUser& User() { return app.User(); }
  const std::vector<ui::headless::ScriptedUser::MessageBoxSeen>& Boxes() {
    return app.User().MessageBoxes();
  }

  ui::headless::TestApplication app;
};

}  // namespace svctest
