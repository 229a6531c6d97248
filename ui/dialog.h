// CDialog: a modal dialog built on a template, with data exchange between
// member variables and controls.
//
// A program derives one class per template and overrides what it needs:
//
//   class CPromptDlg : public ui::CDialog {
//    public:
//     CPromptDlg() : CDialog(kPromptTemplate) {}
//     int m_show = BST_CHECKED;
//    protected:
//     bool OnInitDialog() override { CenterWindow(); return CDialog::OnInitDialog(); }
//     void DoDataExchange(ui::CDataExchange* pDX) override { DDX_Check(pDX, 1000, m_show); }
//     void OnCommand(int id, int code) override { ... CDialog::OnCommand(id, code); }
//   };
//
// DoModal() shows the dialog on the application's host and returns the
// code passed to EndDialog. Control functions work while the dialog is
// open; before and after they do nothing and read empty values.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "ui/host.h"
#include "ui/template.h"
#include "ui/win_constants.h"

namespace ui {

class CDialog;
class DialogModel;
class Menu;

// A control of an open dialog, addressed by id (what a window pointer to a
// child control is elsewhere). Cheap to copy; holds no state of its own.
class CControl {
 public:
  CControl(CDialog* dialog, int id) : dialog_(dialog), id_(id) {}

  int GetDlgCtrlID() const { return id_; }
  bool IsValid() const;  // the control exists in an open dialog

  void SetWindowText(std::string_view text);
  std::string GetWindowText() const;
  void EnableWindow(bool enable = true);
  bool IsWindowEnabled() const;
  void ShowWindow(int showCommand);  // SW_HIDE or SW_SHOW
  bool IsWindowVisible() const;
  void SetFocus();

  // Buttons.
  void SetCheck(int state);
  int GetCheck() const;

  // List and combo boxes.
  int AddString(std::string_view text);
  int InsertString(int index, std::string_view text);
  int DeleteString(int index);
  void ResetContent();
  int GetCount() const;
  std::string GetText(int index) const;
  int SetItemData(int index, std::intptr_t data);
  std::intptr_t GetItemData(int index) const;
  int SetCurSel(int index);
  int GetCurSel() const;
  int FindStringExact(int start, std::string_view text) const;
  int SelectString(int start, std::string_view prefix);

  // Track bars.
  void SetRange(int min, int max);
  int GetRangeMin() const;
  int GetRangeMax() const;
  void SetPos(int pos);
  int GetPos() const;
  void SetTicFreq(int freq);
  void SetPageSize(int size);

  // Pictures.
  void SetImage(int imageId);

 private:
  DialogModel* model() const;
  CDialog* dialog_;
  int id_;
};

class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, bool saveAndValidate)
      : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

  // Remembers the control being exchanged, which a failed check focuses.
  int PrepareCtrl(int id) {
    m_idLastControl = id;
    return id;
  }
  // Ends the exchange unsuccessfully: the caller has told the user why;
  // the last prepared control gets the focus and the remaining exchange
  // functions do nothing.
  void Fail();
  bool Failed() const { return failed_; }

  bool m_bSaveAndValidate;
  CDialog* m_pDlgWnd;
  int m_idLastControl = 0;

 private:
  bool failed_ = false;
};

// Exchange functions. Saving reads the control into the value; loading
// puts the value into the control.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
// Saving fails with "Please enter an integer." when the text is not one.
void DDX_Text(CDataExchange* pDX, int id, int& value);
// BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
void DDX_Check(CDataExchange* pDX, int id, int& state);
// The position of the checked button in the radio group that starts at
// firstId (-1 when none is checked).
void DDX_Radio(CDataExchange* pDX, int firstId, int& index);
void DDX_LBIndex(CDataExchange* pDX, int id, int& index);
void DDX_CBIndex(CDataExchange* pDX, int id, int& index);
// The selected item's text; loading selects the first item beginning with
// the value (an editable combo box also shows the value itself).
void DDX_LBString(CDataExchange* pDX, int id, std::string& value);
void DDX_CBString(CDataExchange* pDX, int id, std::string& value);
// As above, matching the whole item text.
void DDX_LBStringExact(CDataExchange* pDX, int id, std::string& value);
void DDX_CBStringExact(CDataExchange* pDX, int id, std::string& value);
// The selected item's data (-1 when nothing is selected); loading selects
// the first item carrying the value, or nothing.
void DDX_LBItemData(CDataExchange* pDX, int id, std::intptr_t& data);
void DDX_CBItemData(CDataExchange* pDX, int id, std::intptr_t& data);
void DDX_Slider(CDataExchange* pDX, int id, int& pos);
// Checks run after the exchange of their control, when saving.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int min, int max);
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int count);

class CDialog {
 public:
  // A template that outlives the dialog (a program's static resource).
  explicit CDialog(const DialogTemplate& t, CDialog* parent = nullptr);
  // A template made for this dialog: the dialog keeps it.
  explicit CDialog(DialogTemplate&& t, CDialog* parent = nullptr);
  // A const temporary could be neither kept nor moved from.
  CDialog(const DialogTemplate&& t, CDialog* parent = nullptr) = delete;
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog modally on the application's dialog host (or on the
  // given one); returns the EndDialog code, -1 when it could not be shown.
  int DoModal();
  int DoModal(DialogHost& host);
  // As DoModal, but the program's other windows stay usable meanwhile
  // (DialogHost::RunModeless).
  int DoModeless(DialogHost& host);
  void EndDialog(int result);
  // Exchanges all values (DoDataExchange); false when a check failed. When
  // saving fails, the members exchanged before the failing check hold what
  // was read; the rest are untouched.
  bool UpdateData(bool saveAndValidate = true);

  const DialogTemplate& GetTemplate() const { return *template_; }
  int TemplateId() const { return template_->id; }
  CDialog* Parent() const { return parent_; }
  bool IsOpen() const;
  DialogModel* Model() const { return model_; }
  DialogHost* Host() const { return host_; }

  // The window.
  void SetWindowText(std::string_view title);
  std::string GetWindowText() const;
  void CenterWindow();
  void SetFocus();
  void Invalidate();
  // Paints what changed now, without waiting for the message loop: a long
  // operation on the user's thread shows its progress this way.
  void UpdateWindow();
  void MessageBeep(unsigned type = MB_OK);
  int MessageBox(std::string_view text, std::string_view caption = {}, unsigned flags = MB_OK);
  void GotoDlgCtrl(int id);
  // The window's large or small icon, an icon resource id.
  void SetIcon(int iconId, bool bigIcon);
  // The menu bar of the open dialog (null without one or when closed).
  // Item changes (EnableItem, CheckItem, SetItemText) show after
  // DrawMenuBar.
  Menu* GetMenu();
  void DrawMenuBar();
  // The system menu of the open dialog (null without a close box or when
  // closed). It holds "&Close" (SC_CLOSE); items a program appends reach
  // OnSysCommand.
  Menu* GetSystemMenu(bool revert = false);

  // Controls by id.
  CControl GetDlgItem(int id) { return CControl(this, id); }
  void SetDlgItemText(int id, std::string_view text);
  std::string GetDlgItemText(int id) const;
  void SetDlgItemInt(int id, int value);
  // The text as a whole signed number (blanks around it allowed); 0 and
  // *translated false when it is not one.
  int GetDlgItemInt(int id, bool* translated = nullptr) const;
  void CheckDlgButton(int id, int state);
  int IsDlgButtonChecked(int id) const;
  // Checks checkId and clears the other buttons with ids firstId..lastId.
  void CheckRadioButton(int firstId, int lastId, int checkId);
  // The id of the first checked button among firstId..lastId, 0 for none.
  int GetCheckedRadioButton(int firstId, int lastId) const;

 protected:
  // Called once the controls exist. The default loads the members into the
  // controls (UpdateData(false)) and returns true.
  virtual bool OnInitDialog();
  virtual void DoDataExchange(CDataExchange* pDX);
  // The default saves the members and ends with IDOK when that succeeds.
  virtual void OnOK();
  virtual void OnCancel();  // ends with IDCANCEL
  // Commands from controls. The default runs a handler bound with
  // OnCommandId, else OnOK for IDOK and OnCancel for IDCANCEL.
  virtual void OnCommand(int id, int code);
  virtual void OnPaint(PaintContext& dc);
  virtual void OnDestroy();
  // A system menu command. The default closes the dialog for SC_CLOSE
  // (as the close box does) and ignores the rest.
  virtual void OnSysCommand(int id);
  // Another program brought this window to the front or gave it the focus
  // (see window_search.h); the window is raised already.
  virtual void OnActivate();
  // Binds a handler to a control's command (BN_CLICKED unless given).
  void OnCommandId(int id, std::function<void()> handler, int code = BN_CLICKED);

 private:
  // The modal lifecycle and the control model drive the dialog through
  // these; programs never call them.
  friend class ModalSession;
  friend class DialogModel;
  void Attach(DialogModel* model, DialogHost* host);
  void Detach();
  bool SendInitDialog();
  void SendCommand(int id, int code);
  void SendPaint(PaintContext& dc);
  void SendDestroy();
  void SendSysCommand(int id);
  void SendActivate();

  std::unique_ptr<const DialogTemplate> owned_;
  const DialogTemplate* template_;
  CDialog* parent_;
  DialogModel* model_ = nullptr;
  DialogHost* host_ = nullptr;
  std::map<std::pair<int, int>, std::function<void()>> handlers_;
};

// Shows the wait cursor for its lifetime.
class CWaitCursor {
 public:
  CWaitCursor();
  explicit CWaitCursor(DialogHost& host);
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  // Shows the wait cursor again after something (a message box) took it
  // away.
  void Restore();

 private:
  DialogHost* host_;
};

// Parses a whole signed decimal number with optional blanks around it.
bool ParseInt(std::string_view text, int& value);

}  // namespace ui
