// A Qt dialog as a scripted user sees it: actions go through the widgets,
// so they travel the same way a person's clicks and keystrokes do.
#pragma once

#include <QWidget>
#include <string>

#include "ui/open_dialog.h"

class QDialog;

namespace ui::qt {

class QtOpenDialog : public OpenDialog {
 public:
  QtOpenDialog(DialogModel& model, BaseUnits units, QDialog* window)
      : OpenDialog(model, units), window_(window) {}

  bool Click(int id) override;
  bool SelectRow(int id, int row) override;
  bool DoubleClickRow(int id, int row) override;
  bool Type(int id, std::string_view text) override;
  bool MoveSlider(int id, int pos) override;
  bool Close() override;
  bool PressEnter() override;
  bool ChooseMenu(int commandId) override;
  bool ChooseSystemMenu(int commandId) override;
  void Paint() override;
  bool SaveScreenshot(const std::string& path) override;

  QDialog* Window() const { return window_; }
  // The widget of control id (null when there is none).
  QWidget* Widget(int id) const;

 private:
  QDialog* window_;
};

}  // namespace ui::qt
