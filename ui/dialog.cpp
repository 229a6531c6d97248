#include "ui/dialog.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "ui/dialog_model.h"

namespace ui {

namespace {

Application* g_application = nullptr;

}  // namespace

Application* GetApplication() { return g_application; }
Application* SetApplication(Application* app) { return std::exchange(g_application, app); }

int MessageBox(std::string_view text, std::string_view caption, unsigned flags) {
  if (g_application == nullptr) return 0;
  return g_application->Dialogs().MessageBox(nullptr, text, caption, flags);
}

void MessageBeep(unsigned type) {
  if (g_application != nullptr) g_application->Dialogs().Beep(type);
}

bool ParseInt(std::string_view text, int& value) {
  std::size_t i = 0;
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (i < text.size() && blank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t digits = i;
  long long n = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    n = n * 10 + (text[i] - '0');
    if (n > static_cast<long long>(INT_MAX) + 1) return false;
    ++i;
  }
  if (i == digits) return false;
  while (i < text.size() && blank(text[i])) ++i;
  if (i != text.size()) return false;
  if (negative) n = -n;
  if (n < INT_MIN || n > INT_MAX) return false;
  value = static_cast<int>(n);
  return true;
}

// --- CControl --------------------------------------------------------------

DialogModel* CControl::model() const { return dialog_ != nullptr ? dialog_->Model() : nullptr; }

bool CControl::IsValid() const {
  DialogModel* m = model();
  return m != nullptr && m->Find(id_) != nullptr;
}

void CControl::SetWindowText(std::string_view text) {
  if (DialogModel* m = model()) m->SetText(id_, text);
}

std::string CControl::GetWindowText() const {
  DialogModel* m = model();
  return m != nullptr ? m->Text(id_) : std::string();
}

void CControl::EnableWindow(bool enable) {
  if (DialogModel* m = model()) m->Enable(id_, enable);
}

bool CControl::IsWindowEnabled() const {
  DialogModel* m = model();
  return m != nullptr && m->IsEnabled(id_);
}

void CControl::ShowWindow(int showCommand) {
  if (DialogModel* m = model()) m->Show(id_, showCommand != SW_HIDE);
}

bool CControl::IsWindowVisible() const {
  DialogModel* m = model();
  return m != nullptr && m->IsVisible(id_);
}

void CControl::SetFocus() {
  if (DialogModel* m = model()) m->FocusControl(id_);
}

void CControl::SetCheck(int state) {
  if (DialogModel* m = model()) m->SetCheck(id_, state);
}

int CControl::GetCheck() const {
  DialogModel* m = model();
  return m != nullptr ? m->Check(id_) : BST_UNCHECKED;
}

int CControl::AddString(std::string_view text) {
  DialogModel* m = model();
  return m != nullptr ? m->AddString(id_, text) : LB_ERR;
}

int CControl::InsertString(int index, std::string_view text) {
  DialogModel* m = model();
  return m != nullptr ? m->InsertString(id_, index, text) : LB_ERR;
}

int CControl::DeleteString(int index) {
  DialogModel* m = model();
  return m != nullptr ? m->DeleteString(id_, index) : LB_ERR;
}

void CControl::ResetContent() {
  if (DialogModel* m = model()) m->ResetContent(id_);
}

int CControl::GetCount() const {
  DialogModel* m = model();
  return m != nullptr ? m->Count(id_) : LB_ERR;
}

std::string CControl::GetText(int index) const {
  DialogModel* m = model();
  return m != nullptr ? m->ItemText(id_, index) : std::string();
}

int CControl::SetItemData(int index, std::intptr_t data) {
  DialogModel* m = model();
  return m != nullptr ? m->SetItemData(id_, index, data) : LB_ERR;
}

std::intptr_t CControl::GetItemData(int index) const {
  DialogModel* m = model();
  return m != nullptr ? m->ItemData(id_, index) : LB_ERR;
}

int CControl::SetCurSel(int index) {
  DialogModel* m = model();
  return m != nullptr ? m->SetCurSel(id_, index) : LB_ERR;
}

int CControl::GetCurSel() const {
  DialogModel* m = model();
  return m != nullptr ? m->CurSel(id_) : LB_ERR;
}

int CControl::FindStringExact(int start, std::string_view text) const {
  DialogModel* m = model();
  return m != nullptr ? m->FindStringExact(id_, start, text) : LB_ERR;
}

int CControl::SelectString(int start, std::string_view prefix) {
  DialogModel* m = model();
  return m != nullptr ? m->SelectString(id_, start, prefix) : LB_ERR;
}

void CControl::SetRange(int min, int max) {
  if (DialogModel* m = model()) m->SetRange(id_, min, max);
}

int CControl::GetRangeMin() const {
  DialogModel* m = model();
  return m != nullptr ? m->RangeMin(id_) : 0;
}

int CControl::GetRangeMax() const {
  DialogModel* m = model();
  return m != nullptr ? m->RangeMax(id_) : 0;
}

void CControl::SetPos(int pos) {
  if (DialogModel* m = model()) m->SetPos(id_, pos);
}

int CControl::GetPos() const {
  DialogModel* m = model();
  return m != nullptr ? m->Pos(id_) : 0;
}

void CControl::SetTicFreq(int freq) {
  if (DialogModel* m = model()) m->SetTicFreq(id_, freq);
}

void CControl::SetPageSize(int size) {
  if (DialogModel* m = model()) m->SetPageSize(id_, size);
}

void CControl::SetImage(int imageId) {
  if (DialogModel* m = model()) m->SetImage(id_, imageId);
}

// --- data exchange ---------------------------------------------------------

void CDataExchange::Fail() {
  failed_ = true;
  if (m_pDlgWnd != nullptr && m_idLastControl != 0) m_pDlgWnd->GotoDlgCtrl(m_idLastControl);
}

namespace {

// The model of the dialog being exchanged, or null when the exchange
// cannot run (no open dialog, or an earlier check failed).
DialogModel* Live(CDataExchange* pDX) {
  if (pDX == nullptr || pDX->Failed() || pDX->m_pDlgWnd == nullptr) return nullptr;
  return pDX->m_pDlgWnd->Model();
}

void ExchangeListIndex(CDataExchange* pDX, int id, int& index) {
  DialogModel* m = Live(pDX);
  if (m == nullptr) return;
  pDX->PrepareCtrl(id);
  if (pDX->m_bSaveAndValidate) {
    index = m->CurSel(id);
  } else {
    m->SetCurSel(id, index);
  }
}

void ExchangeListString(CDataExchange* pDX, int id, std::string& value, bool exact) {
  DialogModel* m = Live(pDX);
  if (m == nullptr) return;
  pDX->PrepareCtrl(id);
  const ControlState* c = m->Find(id);
  if (c == nullptr || !c->IsList()) return;
  if (pDX->m_bSaveAndValidate) {
    if (c->IsEditableCombo()) {
      value = c->text;
    } else {
      const int sel = m->CurSel(id);
      value = sel >= 0 ? m->ItemText(id, sel) : std::string();
    }
    return;
  }
  const int found = exact ? m->FindStringExact(id, -1, value) : m->FindString(id, -1, value);
  if (found != LB_ERR) {
    m->SetCurSel(id, found);
  } else if (!c->IsEditableCombo() || value.empty()) {
    m->SetCurSel(id, -1);
  }
  if (c->IsEditableCombo()) m->SetText(id, value);
}

void ExchangeItemData(CDataExchange* pDX, int id, std::intptr_t& data) {
  DialogModel* m = Live(pDX);
  if (m == nullptr) return;
  pDX->PrepareCtrl(id);
  if (pDX->m_bSaveAndValidate) {
    const int sel = m->CurSel(id);
    data = sel >= 0 ? m->ItemData(id, sel) : -1;
    return;
  }
  const int n = m->Count(id);
  int found = -1;
  for (int i = 0; i < n; ++i) {
    if (m->ItemData(id, i) == data) {
      found = i;
      break;
    }
  }
  m->SetCurSel(id, found);
}

}  // namespace

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
  DialogModel* m = Live(pDX);
  if (m == nullptr) return;
  pDX->PrepareCtrl(id);
  if (pDX->m_bSaveAndValidate) {
    value = m->Text(id);
  } else {
    m->SetText(id, value);
  }
}

void DDX_Text(CDataExchange* pDX, int id, int& value) {
  DialogModel* m = Live(pDX);
  if (m == nullptr) return;
  pDX->PrepareCtrl(id);
  if (!pDX->m_bSaveAndValidate) {
    m->SetText(id, std::to_string(value));
    return;
  }
  int parsed = 0;
  if (!ParseInt(m->Text(id), parsed)) {
    pDX->m_pDlgWnd->MessageBox("Please enter an integer.", {}, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
    return;
  }
  value = parsed;
}

void DDX_Check(CDataExchange* pDX, int id, int& state) {
  DialogModel* m = Live(pDX);
  if (m == nullptr) return;
  pDX->PrepareCtrl(id);
  if (pDX->m_bSaveAndValidate) {
    state = m->Check(id);
  } else {
    // A value that is no check state shows an empty box and stays as it is.
    m->SetCheck(id, state >= BST_UNCHECKED && state <= BST_INDETERMINATE ? state : BST_UNCHECKED);
  }
}

void DDX_Radio(CDataExchange* pDX, int firstId, int& index) {
  DialogModel* m = Live(pDX);
  if (m == nullptr) return;
  pDX->PrepareCtrl(firstId);
  const std::vector<int> group = m->RadioGroup(firstId);
  if (pDX->m_bSaveAndValidate) {
    index = -1;
    for (std::size_t i = 0; i < group.size(); ++i) {
      if (m->Check(group[i]) == BST_CHECKED) {
        index = static_cast<int>(i);
        break;
      }
    }
    return;
  }
  for (std::size_t i = 0; i < group.size(); ++i) {
    m->SetCheck(group[i], static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED);
  }
}

void DDX_LBIndex(CDataExchange* pDX, int id, int& index) { ExchangeListIndex(pDX, id, index); }
void DDX_CBIndex(CDataExchange* pDX, int id, int& index) { ExchangeListIndex(pDX, id, index); }

void DDX_LBString(CDataExchange* pDX, int id, std::string& value) {
  ExchangeListString(pDX, id, value, false);
}
void DDX_CBString(CDataExchange* pDX, int id, std::string& value) {
  ExchangeListString(pDX, id, value, false);
}
void DDX_LBStringExact(CDataExchange* pDX, int id, std::string& value) {
  ExchangeListString(pDX, id, value, true);
}
void DDX_CBStringExact(CDataExchange* pDX, int id, std::string& value) {
  ExchangeListString(pDX, id, value, true);
}

void DDX_LBItemData(CDataExchange* pDX, int id, std::intptr_t& data) {
  ExchangeItemData(pDX, id, data);
}
void DDX_CBItemData(CDataExchange* pDX, int id, std::intptr_t& data) {
  ExchangeItemData(pDX, id, data);
}

void DDX_Slider(CDataExchange* pDX, int id, int& pos) {
  DialogModel* m = Live(pDX);
  if (m == nullptr) return;
  pDX->PrepareCtrl(id);
  if (pDX->m_bSaveAndValidate) {
    pos = m->Pos(id);
  } else {
    m->SetPos(id, pos);
  }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int min, int max) {
  if (Live(pDX) == nullptr || !pDX->m_bSaveAndValidate) return;
  if (value >= min && value <= max) return;
  pDX->m_pDlgWnd->MessageBox("Please enter an integer between " + std::to_string(min) + " and " +
                                 std::to_string(max) + ".",
                             {}, MB_OK | MB_ICONEXCLAMATION);
  pDX->Fail();
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int count) {
  if (Live(pDX) == nullptr || !pDX->m_bSaveAndValidate) return;
  if (static_cast<int>(value.size()) <= count) return;
  pDX->m_pDlgWnd->MessageBox("Please enter no more than " + std::to_string(count) + " characters.",
                             {}, MB_OK | MB_ICONEXCLAMATION);
  pDX->Fail();
}

// --- CDialog ----------------------------------------------------------------

CDialog::CDialog(const DialogTemplate& t, CDialog* parent) : template_(&t), parent_(parent) {}

CDialog::CDialog(DialogTemplate&& t, CDialog* parent)
    : owned_(std::make_unique<const DialogTemplate>(std::move(t))),
      template_(owned_.get()),
      parent_(parent) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
  Application* app = GetApplication();
  if (app == nullptr) return -1;
  return DoModal(app->Dialogs());
}

int CDialog::DoModal(DialogHost& host) {
  // A dialog object shows one window at a time.
  if (model_ != nullptr) return -1;
  return host.RunModal(*this);
}

int CDialog::DoModeless(DialogHost& host) {
  if (model_ != nullptr) return -1;
  return host.RunModeless(*this);
}

void CDialog::EndDialog(int result) {
  if (model_ != nullptr) model_->End(result);
}

bool CDialog::UpdateData(bool saveAndValidate) {
  if (model_ == nullptr) return false;
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return !dx.Failed();
}

bool CDialog::IsOpen() const { return model_ != nullptr && !model_->Ended(); }

void CDialog::SetWindowText(std::string_view title) {
  if (model_ != nullptr) model_->SetTitle(title);
}

std::string CDialog::GetWindowText() const {
  return model_ != nullptr ? model_->Title() : std::string();
}

void CDialog::CenterWindow() {
  if (model_ != nullptr) model_->Center();
}

void CDialog::SetFocus() {
  if (model_ != nullptr) model_->Focus();
}

void CDialog::Invalidate() {
  if (model_ != nullptr) model_->Invalidate();
}

void CDialog::UpdateWindow() {
  if (model_ != nullptr) model_->PaintNow();
}

void CDialog::MessageBeep(unsigned type) {
  DialogHost* host = host_;
  if (host == nullptr && GetApplication() != nullptr) host = &GetApplication()->Dialogs();
  if (host != nullptr) host->Beep(type);
}

int CDialog::MessageBox(std::string_view text, std::string_view caption, unsigned flags) {
  DialogHost* host = host_;
  if (host == nullptr && GetApplication() != nullptr) host = &GetApplication()->Dialogs();
  if (host == nullptr) return 0;
  return host->MessageBox(IsOpen() ? this : nullptr, text, caption, flags);
}

void CDialog::GotoDlgCtrl(int id) {
  if (model_ != nullptr) model_->FocusControl(id);
}

void CDialog::SetIcon(int iconId, bool bigIcon) {
  if (model_ != nullptr) model_->SetIcon(iconId, bigIcon);
}

Menu* CDialog::GetMenu() { return model_ != nullptr ? model_->MenuBar() : nullptr; }

void CDialog::DrawMenuBar() {
  if (model_ != nullptr) model_->MenusChanged();
}

Menu* CDialog::GetSystemMenu(bool) { return model_ != nullptr ? model_->SystemMenu() : nullptr; }

void CDialog::SetDlgItemText(int id, std::string_view text) { GetDlgItem(id).SetWindowText(text); }

std::string CDialog::GetDlgItemText(int id) const {
  return model_ != nullptr ? model_->Text(id) : std::string();
}

void CDialog::SetDlgItemInt(int id, int value) { SetDlgItemText(id, std::to_string(value)); }

int CDialog::GetDlgItemInt(int id, bool* translated) const {
  int value = 0;
  const bool ok = model_ != nullptr && model_->Find(id) != nullptr &&
                  ParseInt(model_->Text(id), value);
  if (translated != nullptr) *translated = ok;
  return ok ? value : 0;
}

void CDialog::CheckDlgButton(int id, int state) {
  if (model_ != nullptr) model_->SetCheck(id, state);
}

int CDialog::IsDlgButtonChecked(int id) const {
  return model_ != nullptr ? model_->Check(id) : BST_UNCHECKED;
}

void CDialog::CheckRadioButton(int firstId, int lastId, int checkId) {
  if (model_ == nullptr) return;
  for (int id = firstId; id <= lastId; ++id) {
    if (model_->Find(id) != nullptr) {
      model_->SetCheck(id, id == checkId ? BST_CHECKED : BST_UNCHECKED);
    }
  }
}

int CDialog::GetCheckedRadioButton(int firstId, int lastId) const {
  if (model_ == nullptr) return 0;
  for (int id = firstId; id <= lastId; ++id) {
    if (model_->Find(id) != nullptr && model_->Check(id) == BST_CHECKED) return id;
  }
  return 0;
}

void CDialog::Attach(DialogModel* model, DialogHost* host) {
  model_ = model;
  host_ = host;
}

void CDialog::Detach() {
  model_ = nullptr;
  host_ = nullptr;
}

bool CDialog::SendInitDialog() { return OnInitDialog(); }

void CDialog::SendCommand(int id, int code) {
  if (IsOpen()) OnCommand(id, code);
}

void CDialog::SendPaint(PaintContext& dc) { OnPaint(dc); }

void CDialog::SendDestroy() { OnDestroy(); }

void CDialog::SendSysCommand(int id) {
  if (IsOpen()) OnSysCommand(id);
}

void CDialog::SendActivate() {
  if (model_ == nullptr || !IsOpen()) return;
  model_->Focus();
  OnActivate();
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnCommand(int id, int code) {
  auto it = handlers_.find({id, code});
  if (it != handlers_.end()) {
    // A copy, so a handler may rebind itself.
    auto handler = it->second;
    handler();
    return;
  }
  if (code != BN_CLICKED) return;
  if (id == IDOK) {
    OnOK();
  } else if (id == IDCANCEL) {
    OnCancel();
  }
}

void CDialog::OnPaint(PaintContext&) {}

void CDialog::OnDestroy() {}

void CDialog::OnSysCommand(int id) {
  if ((id & 0xFFF0) == SC_CLOSE && model_ != nullptr) model_->UserClose();
}

void CDialog::OnActivate() {}

void CDialog::OnCommandId(int id, std::function<void()> handler, int code) {
  handlers_[{id, code}] = std::move(handler);
}

// --- CWaitCursor ----------------------------------------------------------------

CWaitCursor::CWaitCursor()
    : host_(GetApplication() != nullptr ? &GetApplication()->Dialogs() : nullptr) {
  if (host_ != nullptr) host_->BeginWaitCursor();
}

CWaitCursor::CWaitCursor(DialogHost& host) : host_(&host) { host_->BeginWaitCursor(); }

CWaitCursor::~CWaitCursor() {
  if (host_ != nullptr) host_->EndWaitCursor();
}

void CWaitCursor::Restore() {
  if (host_ == nullptr) return;
  host_->EndWaitCursor();
  host_->BeginWaitCursor();
}

}  // namespace ui
