#include "ui/qt/qt_dialog_host.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QGroupBox>
#include <QIcon>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <vector>

#include "ui/dialog.h"
#include "platform/dospath.h"
#include "ui/dialog_model.h"
#include "ui/file_dialog.h"
#include "ui/menu.h"
#include "ui/modal_session.h"
#include "ui/msgbox.h"
#include "ui/qt/qt_open_dialog.h"

namespace ui::qt {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
std::string S(const QString& s) { return s.toStdString(); }

// Multi-line edits hold "\r\n" line ends, as the original platform's did;
// Qt's text widgets use "\n".
QString ToWidgetLines(const std::string& text) {
  QString q = Q(text);
  q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return q;
}

std::string FromWidgetLines(const QString& text) {
  QString q = text;
  q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  q.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return S(q);
}

// Check boxes and radio buttons whose state only the model changes: a
// click asks the model, which applies the rules of the control's style.
// The whole control answers a click, as on the original platform, not
// only its mark and text: the template's rectangle is the control.
class ModelCheckBox : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  void nextCheckState() override {}
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

class ModelRadioButton : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  void nextCheckState() override {}
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// What an assistive technology hears of a model radio button. Qt names a
// checkable button that is not auto-exclusive a check box; these are not
// auto-exclusive only because the model keeps their groups, so they are
// told as the radio buttons they are, with their checked state. Pressing
// or toggling one is the user's click.
class RadioAccessible : public QAccessibleWidget {
 public:
  explicit RadioAccessible(ModelRadioButton* b) : QAccessibleWidget(b, QAccessible::RadioButton) {}

  QString text(QAccessible::Text t) const override {
    QString s = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && s.isEmpty()) s = QString(Button()->text()).remove('&');
    return s;
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.checkable = true;
    s.checked = Button()->isChecked();
    return s;
  }
  QStringList actionNames() const override {
    QStringList names;
    if (Button()->isEnabled()) names << pressAction() << toggleAction();
    return names + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& name) override {
    if (!Button()->isEnabled()) return;
    if (name == pressAction() || name == toggleAction()) {
      Button()->click();
    } else {
      QAccessibleWidget::doAction(name);
    }
  }

 private:
  QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }
};


class ClickableLabel : public QLabel {
 public:
  ClickableLabel(QWidget* parent, std::function<void()> onClick)
      : QLabel(parent), onClick_(std::move(onClick)) {}

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    if (onClick_) onClick_();
    QLabel::mousePressEvent(e);
  }

 private:
  std::function<void()> onClick_;
};

// Fills a Qt menu from a menu, each command an action named prefix + id,
// so a script finds the same action a person would choose.
template <typename QtMenu>
void FillMenu(QtMenu& target, const Menu& menu, const QString& prefix,
              const std::function<void(int)>& chosen) {
  for (const auto& item : menu.Items()) {
    if (item.separator) {
      target.addSeparator();
      continue;
    }
    if (item.popup) {
      QMenu* sub = target.addMenu(Q(item.text));
      FillMenu(*sub, *item.popup, prefix, chosen);
      continue;
    }
    QAction* action = target.addAction(Q(item.text));
    action->setObjectName(prefix + QString::number(item.id));
    action->setEnabled(!item.grayed);
    action->setCheckable(item.checked);
    action->setChecked(item.checked);
    const int id = item.id;
    QObject::connect(action, &QAction::triggered, action, [chosen, id] { chosen(id); });
  }
}

class QtPaint : public PaintContext {
 public:
  QtPaint(QPainter& painter, QtDialogHost& host) : painter_(painter), host_(host) {}
  void DrawBitmap(int bitmapId, int x, int y) override {
    const QPixmap pixmap = host_.Picture(ImageKind::Bitmap, bitmapId);
    if (!pixmap.isNull()) painter_.drawPixmap(x, y, pixmap);
    pictures.push_back(DrawnPicture{bitmapId, x, y, false});
  }
  void DrawIcon(int iconId, int x, int y) override {
    const QPixmap pixmap = host_.Picture(ImageKind::Icon, iconId);
    if (!pixmap.isNull()) painter_.drawPixmap(x, y, pixmap);
    pictures.push_back(DrawnPicture{iconId, x, y, true});
  }
  std::vector<DrawnPicture> pictures;

 private:
  QPainter& painter_;
  QtDialogHost& host_;
};

class QtDialogWindow : public QDialog, public ModelObserver {
 public:
  QtDialogWindow(DialogModel& model, QtDialogHost& host, QWidget* parent)
      : QDialog(parent), model_(model), host_(host) {
    const DialogTemplate& t = model.Template();
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   (t.Has(dlg::SysMenu) ? Qt::WindowCloseButtonHint : Qt::WindowType(0)) |
                   (t.Has(dlg::SystemModal) ? Qt::WindowStaysOnTopHint : Qt::WindowType(0)));
    setModal(true);
    font_ = QtDialogHost::FontFor(t.font);
    setFont(font_);
    units_ = QtDialogHost::UnitsFor(font_);
    const Rect size = DialogToPixels(t.rect, units_);
    if (model.MenuBar() != nullptr) {
      // The template's size is the client area; the menu bar sits above it.
      menuBar_ = new QMenuBar(this);
      menuBar_->setNativeMenuBar(false);
      BuildMenus();
      top_ = menuBar_->sizeHint().height();
      menuBar_->setGeometry(0, 0, size.cx, top_);
    }
    setFixedSize(size.cx, size.cy + top_);
    setWindowTitle(Q(model.Title()));
    widgets_.reserve(model.Controls().size());
    for (std::size_t i = 0; i < model.Controls().size(); ++i) {
      widgets_.push_back(Build(static_cast<int>(i)));
    }
    // Group boxes frame the controls after them; keep them underneath.
    for (std::size_t i = 0; i < widgets_.size(); ++i) {
      if (model.Controls()[i].kind() == ControlKind::GroupBox && widgets_[i] != nullptr) {
        widgets_[i]->lower();
      }
    }
    for (std::size_t i = 0; i < widgets_.size(); ++i) Sync(static_cast<int>(i));
    NameFieldsByTheirLabels();
  }

  BaseUnits Units() const { return units_; }

  // Places the window: centred on the desktop, or at the template's origin
  // (dialog units, from the owner's corner or the desktop's).
  void Place() {
    if (model_.Centered()) {
      CenterOnDesktop();
      return;
    }
    const Rect r = DialogToPixels(model_.Template().rect, units_);
    QPoint origin(0, 0);
    if (parentWidget() != nullptr) origin = parentWidget()->mapToGlobal(QPoint(0, 0));
    move(origin + QPoint(r.x, r.y));
  }

  void ModelChanged(int index, Change what) override {
    if (index < 0) {
      switch (what) {
        case Change::Title:
          setWindowTitle(Q(model_.Title()));
          break;
        case Change::Centered:
          CenterOnDesktop();
          break;
        case Change::DialogFocus:
          activateWindow();
          raise();
          break;
        case Change::Repaint:
          update();
          break;
        case Change::PaintNow:
          // Synchronous, labels included: the message loop does not run
          // until the operation that asked is over.
          if (isVisible()) repaint();
          break;
        case Change::Ended:
          if (isVisible()) done(model_.Result());
          break;
        case Change::Icon:
          SetIcons();
          break;
        case Change::Menu:
          BuildMenus();
          break;
        default:
          break;
      }
      return;
    }
    if (what == Change::Focus) {
      if (QWidget* w = widgets_[index]) w->setFocus(Qt::OtherFocusReason);
      return;
    }
    Sync(index);
  }

 protected:
  void reject() override { model_.UserClose(); }
  void accept() override {}

  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    if (!model_.Ended()) model_.UserClose();
  }

  void keyPressEvent(QKeyEvent* e) override {
    if (e->modifiers() == Qt::AltModifier && e->key() == Qt::Key_Space) {
      if (QMenu* menu = SystemMenu()) menu->exec(mapToGlobal(QPoint(0, 0)));
      return;
    }
    if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
      if (e->key() == Qt::Key_Escape) {
        model_.UserClose();
        return;
      }
      if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        // A multi-line edit that keeps Enter has taken it already.
        model_.UserPressEnter();
        return;
      }
    }
    QDialog::keyPressEvent(e);
  }

  // Without a system menu to extend on this desktop, its entries are
  // offered where a person looks for a window's own menu: a right click on
  // the dialog's background, or Alt+Space.
  void contextMenuEvent(QContextMenuEvent* e) override {
    if (QMenu* menu = SystemMenu(); menu != nullptr && !model_.Ended()) menu->exec(e->globalPos());
  }

  void paintEvent(QPaintEvent* e) override {
    QDialog::paintEvent(e);
    QPainter painter(this);
    painter.translate(0, top_);
    QtPaint dc(painter, host_);
    model_.Paint(dc);
    model_.RecordPaint(std::move(dc.pictures));
  }

 private:
  void SetIcons() {
    QIcon icon;
    for (bool big : {true, false}) {
      const QPixmap pixmap = host_.Picture(ImageKind::Icon, model_.Icon(big));
      if (!pixmap.isNull()) icon.addPixmap(pixmap);
    }
    setWindowIcon(icon);
  }

  // The menu bar follows the menu: texts, grayed and checked marks change
  // in place, since a command's handler may change its own item while Qt
  // is still delivering its action; an item the bar lacks rebuilds it once
  // that delivery is over.
  void BuildMenus() {
    if (menuBar_ == nullptr || model_.MenuBar() == nullptr) return;
    if (menuBar_->actions().isEmpty()) {
      FillMenu(*menuBar_, *model_.MenuBar(), QStringLiteral("cmd"),
               [this](int id) { model_.UserChooseMenu(id); });
      return;
    }
    if (!UpdateActions(*model_.MenuBar())) {
      QTimer::singleShot(0, this, [this] {
        menuBar_->clear();
        BuildMenus();
      });
    }
  }

  bool UpdateActions(const Menu& menu) {
    for (const auto& item : menu.Items()) {
      if (item.separator) continue;
      if (item.popup) {
        if (!UpdateActions(*item.popup)) return false;
        continue;
      }
      auto* action = menuBar_->findChild<QAction*>(QStringLiteral("cmd%1").arg(item.id));
      if (action == nullptr) return false;
      action->setText(Q(item.text));
      action->setEnabled(!item.grayed);
      action->setCheckable(item.checked || action->isChecked());
      action->setChecked(item.checked);
    }
    return true;
  }

 public:
  // The system menu as it stands, ready to pop up; null without one.
  QMenu* SystemMenu() {
    if (model_.SystemMenu() == nullptr) return nullptr;
    if (sysMenu_ == nullptr) {
      sysMenu_ = new QMenu(this);
      sysMenu_->setObjectName(QStringLiteral("systemMenu"));
    }
    sysMenu_->clear();
    FillMenu(*sysMenu_, *model_.SystemMenu(), QStringLiteral("sys"),
             [this](int id) { model_.UserChooseSystemMenu(id); });
    return sysMenu_;
  }

 private:
  void CenterOnDesktop() {
    const Rect desk = host_.DesktopRect();
    const QSize frame = frameGeometry().size();
    move(desk.x + desk.cx / 2 - frame.width() / 2, desk.y + desk.cy / 2 - frame.height() / 2);
  }

  // Runs a change the user made, unless the widget is only being brought
  // in line with the model.
  template <typename F>
  void FromUser(F&& f) {
    if (!syncing_) f();
  }

  QWidget* Build(int index) {
    const ControlState& c = model_.Controls()[index];
    const ControlTemplate& t = *c.tmpl;
    const int id = t.id;
    QWidget* w = nullptr;
    switch (t.kind) {
      case ControlKind::PushButton: {
        auto* b = new QPushButton(this);
        b->setAutoDefault(false);
        b->setDefault(t.Has(ctl::Default));
        connect(b, &QPushButton::clicked, this, [this, id] { FromUser([&] { model_.UserClick(id); }); });
        w = b;
        break;
      }
      case ControlKind::CheckBox: {
        auto* b = new ModelCheckBox(this);
        b->setTristate(t.Has(ctl::ThreeState));
        connect(b, &QCheckBox::clicked, this, [this, id] { FromUser([&] { model_.UserClick(id); }); });
        // A click changes nothing by itself (the model does); a state
        // changed any other way (an assistive technology's toggle action)
        // counts as the user's click too.
        connect(b, &QCheckBox::stateChanged, this, [this, index] { StateChangedByUser(index); });
        w = b;
        break;
      }
      case ControlKind::RadioButton: {
        auto* b = new ModelRadioButton(this);
        b->setAutoExclusive(false);
        // Registered with the button, ahead of the interface Qt would make
        // for it (a check box); it goes when the button does.
        QAccessible::registerAccessibleInterface(new RadioAccessible(b));
        connect(b, &QRadioButton::clicked, this, [this, id] { FromUser([&] { model_.UserClick(id); }); });
        connect(b, &QRadioButton::toggled, this, [this, index] { StateChangedByUser(index); });
        w = b;
        break;
      }
      case ControlKind::Static: {
        QLabel* l = t.Has(ctl::Notify)
                        ? new ClickableLabel(this, [this, id] { model_.UserClick(id); })
                        : new QLabel(this);
        l->setWordWrap(true);
        Qt::Alignment align = Qt::AlignTop;
        align |= t.Has(ctl::Center) ? Qt::AlignHCenter
                                    : (t.Has(ctl::Right) ? Qt::AlignRight : Qt::AlignLeft);
        l->setAlignment(align);
        l->setTextFormat(Qt::PlainText);
        if (t.Has(ctl::Sunken)) l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        w = l;
        break;
      }
      case ControlKind::Edit: {
        if (t.Has(ctl::MultiLine)) {
          auto* e = new QPlainTextEdit(this);
          e->setReadOnly(t.Has(ctl::ReadOnly));
          e->setVerticalScrollBarPolicy(t.Has(ctl::VScroll) ? Qt::ScrollBarAlwaysOn
                                                             : Qt::ScrollBarAlwaysOff);
          e->setHorizontalScrollBarPolicy(t.Has(ctl::HScroll) ? Qt::ScrollBarAlwaysOn
                                                               : Qt::ScrollBarAlwaysOff);
          e->setLineWrapMode(t.Has(ctl::AutoHScroll) ? QPlainTextEdit::NoWrap
                                                     : QPlainTextEdit::WidgetWidth);
          e->setTabChangesFocus(true);
          connect(e, &QPlainTextEdit::textChanged, this, [this, id, e] {
            FromUser([&] { model_.UserType(id, FromWidgetLines(e->toPlainText())); });
          });
          w = e;
        } else {
          auto* e = new QLineEdit(this);
          e->setReadOnly(t.Has(ctl::ReadOnly));
          if (t.Has(ctl::Password)) e->setEchoMode(QLineEdit::Password);
          if (t.Has(ctl::Number)) {
            e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), e));
          }
          connect(e, &QLineEdit::textChanged, this,
                  [this, id](const QString& text) { FromUser([&] { model_.UserType(id, S(text)); }); });
          w = e;
        }
        break;
      }
      case ControlKind::ListBox: {
        auto* l = new QListWidget(this);
        connect(l, &QListWidget::currentRowChanged, this, [this, id](int row) {
          FromUser([&] {
            if (row >= 0) model_.UserSelect(id, row);
          });
        });
        // A row selected without moving the current row (an assistive
        // technology selecting a row) is still the list's one chosen row.
        connect(l, &QListWidget::itemSelectionChanged, this, [l] {
          const QList<QListWidgetItem*> chosen = l->selectedItems();
          if (chosen.size() != 1 || l->row(chosen[0]) == l->currentRow()) return;
          l->setCurrentRow(l->row(chosen[0]));
        });
        connect(l, &QListWidget::itemDoubleClicked, this, [this, id, l](QListWidgetItem* item) {
          FromUser([&] { model_.UserDoubleClick(id, l->row(item)); });
        });
        w = l;
        break;
      }
      case ControlKind::ComboBox: {
        auto* b = new QComboBox(this);
        b->setEditable(!t.Has(ctl::DropDownList));
        b->setInsertPolicy(QComboBox::NoInsert);
        connect(b, &QComboBox::activated, this,
                [this, id](int row) { FromUser([&] { model_.UserSelect(id, row); }); });
        if (b->isEditable()) {
          connect(b->lineEdit(), &QLineEdit::textEdited, this,
                  [this, id](const QString& text) { FromUser([&] { model_.UserType(id, S(text)); }); });
        }
        w = b;
        break;
      }
      case ControlKind::TrackBar: {
        auto* s = new QSlider(t.Has(ctl::Vertical) ? Qt::Vertical : Qt::Horizontal, this);
        s->setSingleStep(1);
        if (t.Has(ctl::AutoTicks)) s->setTickPosition(QSlider::TicksBelow);
        connect(s, &QSlider::valueChanged, this,
                [this, id](int value) { FromUser([&] { model_.UserMoveSlider(id, value); }); });
        w = s;
        break;
      }
      case ControlKind::GroupBox:
        w = new QGroupBox(this);
        break;
      case ControlKind::Picture: {
        auto* l = new QLabel(this);
        w = l;
        break;
      }
    }
    if (id != IDC_STATIC) w->setObjectName(QStringLiteral("ctl%1").arg(id));
    Rect r = DialogToPixels(t.rect, units_);
    r.y += top_;
    if (t.kind == ControlKind::ComboBox) {
      // A combo box's template height includes its dropped-down list.
      r.cy = w->sizeHint().height();
    }
    w->setGeometry(r.x, r.y, r.cx, r.cy);
    if (!t.Has(ctl::TabStop) && t.kind != ControlKind::Static && t.kind != ControlKind::GroupBox &&
        t.kind != ControlKind::Picture) {
      w->setFocusPolicy(Qt::ClickFocus);
    }
    return w;
  }

  // A check box or radio button whose state changed, not by the model: the
  // user's click, after which the widget shows what the model made of it.
  void StateChangedByUser(int index) {
    if (syncing_) return;
    model_.UserClick(model_.Controls()[index].id());
    Sync(index);
  }

  // Names each field after the label or group box just before it in the
  // template, as a person reading the dialog would: the label becomes its
  // buddy (its access key focuses the field) and its text the field's
  // accessible name.
  void NameFieldsByTheirLabels() {
    const auto& controls = model_.Controls();
    for (std::size_t i = 1; i < controls.size(); ++i) {
      const ControlKind kind = controls[i].kind();
      if (kind != ControlKind::Edit && kind != ControlKind::ComboBox &&
          kind != ControlKind::TrackBar && kind != ControlKind::ListBox) {
        continue;
      }
      const ControlState& before = controls[i - 1];
      if (before.kind() != ControlKind::Static && before.kind() != ControlKind::GroupBox) continue;
      if (before.text.empty() || widgets_[i] == nullptr) continue;
      widgets_[i]->setAccessibleName(Q(StripAccessKey(before.text)));
      if (auto* label = qobject_cast<QLabel*>(widgets_[i - 1])) label->setBuddy(widgets_[i]);
    }
  }

  // Brings widget index in line with the model.
  void Sync(int index) {
    QWidget* w = widgets_[index];
    if (w == nullptr) return;
    const ControlState& c = model_.Controls()[index];
    const ControlTemplate& t = *c.tmpl;
    syncing_ = true;
    w->setEnabled(c.enabled);
    if (w->isVisibleTo(this) != c.visible) w->setVisible(c.visible);
    const QString label = t.Has(ctl::NoPrefix) ? QString(Q(c.text)).replace("&", "&&") : Q(c.text);
    switch (t.kind) {
      case ControlKind::PushButton:
        static_cast<QPushButton*>(w)->setText(label);
        break;
      case ControlKind::CheckBox: {
        auto* b = static_cast<QCheckBox*>(w);
        b->setText(label);
        b->setCheckState(c.check == BST_CHECKED         ? Qt::Checked
                         : c.check == BST_INDETERMINATE ? Qt::PartiallyChecked
                                                        : Qt::Unchecked);
        break;
      }
      case ControlKind::RadioButton: {
        auto* b = static_cast<QRadioButton*>(w);
        b->setText(label);
        b->setChecked(c.check == BST_CHECKED);
        break;
      }
      case ControlKind::Static: {
        auto* l = static_cast<QLabel*>(w);
        const QString text = t.Has(ctl::NoPrefix) ? Q(c.text) : Q(StripAccessKey(c.text));
        if (l->text() != text) l->setText(text);
        break;
      }
      case ControlKind::Edit:
        if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
          const QString text = ToWidgetLines(c.text);
          if (e->toPlainText() != text) e->setPlainText(text);
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
          const QString text = Q(c.text);
          if (e->text() != text) e->setText(text);
        }
        break;
      case ControlKind::ListBox: {
        auto* l = static_cast<QListWidget*>(w);
        QStringList items;
        for (const auto& item : c.items) items << Q(item.text);
        bool same = l->count() == items.size();
        for (int i = 0; same && i < items.size(); ++i) same = l->item(i)->text() == items[i];
        if (!same) {
          l->clear();
          l->addItems(items);
        }
        l->setCurrentRow(c.selection);
        if (c.selection < 0) l->clearSelection();
        break;
      }
      case ControlKind::ComboBox: {
        auto* b = static_cast<QComboBox*>(w);
        QStringList items;
        for (const auto& item : c.items) items << Q(item.text);
        bool same = b->count() == items.size();
        for (int i = 0; same && i < items.size(); ++i) same = b->itemText(i) == items[i];
        if (!same) {
          b->clear();
          b->addItems(items);
        }
        b->setCurrentIndex(c.selection);
        if (b->isEditable() && b->currentText() != Q(c.text)) b->setEditText(Q(c.text));
        break;
      }
      case ControlKind::TrackBar: {
        auto* s = static_cast<QSlider*>(w);
        s->setRange(c.rangeMin, c.rangeMax);
        s->setPageStep(c.pageSize);
        s->setTickInterval(c.ticFreq);
        s->setValue(c.pos);
        // A track bar's own window text, when the program gives it one,
        // names it.
        if (!c.text.empty()) s->setAccessibleName(Q(c.text));
        break;
      }
      case ControlKind::GroupBox:
        static_cast<QGroupBox*>(w)->setTitle(label);
        break;
      case ControlKind::Picture: {
        auto* l = static_cast<QLabel*>(w);
        const ImageKind kind = t.Has(ctl::IconImage) ? ImageKind::Icon : ImageKind::Bitmap;
        const QPixmap pixmap = host_.Picture(kind, c.imageId);
        l->setPixmap(pixmap);
        if (!pixmap.isNull() && (t.rect.cx == 0 || t.rect.cy == 0)) l->resize(pixmap.size());
        break;
      }
    }
    syncing_ = false;
  }

  DialogModel& model_;
  QtDialogHost& host_;
  QFont font_;
  BaseUnits units_;
  std::vector<QWidget*> widgets_;
  QMenuBar* menuBar_ = nullptr;
  QMenu* sysMenu_ = nullptr;
  int top_ = 0;  // the menu bar's height: where the client area starts
  bool syncing_ = false;
};

QMessageBox::StandardButton StandardButtonFor(int result) {
  switch (result) {
    case IDOK:
      return QMessageBox::Ok;
    case IDCANCEL:
      return QMessageBox::Cancel;
    case IDABORT:
      return QMessageBox::Abort;
    case IDRETRY:
      return QMessageBox::Retry;
    case IDIGNORE:
      return QMessageBox::Ignore;
    case IDYES:
      return QMessageBox::Yes;
    case IDNO:
      return QMessageBox::No;
    default:
      return QMessageBox::NoButton;
  }
}

}  // namespace

// --- QtDialogHost -------------------------------------------------------------------

QtDialogHost::QtDialogHost(const ImageTable* images) : images_(images) {}

QFont QtDialogHost::FontFor(const DialogFont& font) {
  QFont f(Q(font.name));
  f.setPointSize(font.pointSize > 0 ? font.pointSize : 8);
  f.setStyleHint(QFont::SansSerif);
  return f;
}

BaseUnits QtDialogHost::UnitsFor(const QFont& font) {
  const QFontMetrics fm(font);
  const int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  BaseUnits units;
  units.x = (width / 26 + 1) / 2;
  units.y = fm.height();
  if (units.x <= 0) units.x = 1;
  if (units.y <= 0) units.y = 1;
  return units;
}

QPixmap QtDialogHost::Picture(ImageKind kind, int id) {
  auto key = std::make_pair(kind, id);
  auto it = pixmaps_.find(key);
  if (it != pixmaps_.end()) return it->second;
  QPixmap pixmap;
  if (images_ != nullptr) {
    const std::vector<unsigned char> bytes = images_->Load(kind, id);
    if (!bytes.empty()) pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size()));
  }
  pixmaps_[key] = pixmap;
  return pixmap;
}

Rect QtDialogHost::DesktopRect() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return Rect{0, 0, 1024, 768};
  const QRect g = screen->geometry();
  return Rect{g.x(), g.y(), g.width(), g.height()};
}

int QtDialogHost::RunModal(CDialog& dialog) { return Run(dialog, true); }

int QtDialogHost::RunModeless(CDialog& dialog) { return Run(dialog, false); }

int QtDialogHost::Run(CDialog& dialog, bool modal) {
  ModalSession session(dialog, *this, loop_);
  DialogModel& model = session.Model();
  QtDialogWindow window(model, *this, modal ? QApplication::activeModalWidget() : nullptr);
  if (!modal) window.setModal(false);
  window.setObjectName(QStringLiteral("dlg%1").arg(dialog.TemplateId()));
  session.SetWindow(&window);
  if (user_ != nullptr) user_->RecordDialog(dialog.TemplateId());
  return session.Run([&] {
    window.Place();
    if (user_ != nullptr) {
      auto script = user_->TakeScript(dialog.TemplateId());
      // Played once the modal loop runs, as a person would act on the
      // dialog once it shows.
      QTimer::singleShot(0, &window, [&model, &window, script] {
        QtOpenDialog view(model, window.Units(), &window);
        if (script) script(view);
        if (!model.Ended()) view.Close();
        if (!model.Ended()) model.End(IDCANCEL);
      });
    }
    if (model.Ended()) return;
    if (modal) {
      window.exec();
      return;
    }
    // Its own loop, with no window blocked: done() ends it as it ends exec().
    QEventLoop loop;
    QObject::connect(&window, &QDialog::finished, &loop, &QEventLoop::quit);
    window.show();
    loop.exec();
  });
}

int QtDialogHost::MessageBox(CDialog* owner, std::string_view text, std::string_view caption,
                             unsigned flags) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (MessageBoxIcon(flags)) {
    case MessageIcon::Stop:
      icon = QMessageBox::Critical;
      break;
    case MessageIcon::Question:
      icon = QMessageBox::Question;
      break;
    case MessageIcon::Exclamation:
      icon = QMessageBox::Warning;
      break;
    case MessageIcon::Information:
      icon = QMessageBox::Information;
      break;
    case MessageIcon::None:
      break;
  }
  // The owner is the dialog on top, which is the active modal window.
  (void)owner;
  QMessageBox box(icon, Q(MessageBoxCaption(caption)), Q(text), QMessageBox::NoButton,
                  QApplication::activeModalWidget());
  std::map<QAbstractButton*, int> results;
  for (int result : MessageBoxButtons(flags)) {
    results[box.addButton(StandardButtonFor(result))] = result;
  }
  const int def = DefaultMessageBoxResult(flags);
  for (auto& [button, result] : results) {
    if (result == def) box.setDefaultButton(static_cast<QPushButton*>(button));
    if (result == EscapeMessageBoxResult(flags)) box.setEscapeButton(button);
  }
  if (IsSystemModal(flags)) {
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  }
  headless::ScriptedUser::MessageBoxSeen seen;
  seen.text = std::string(text);
  seen.caption = MessageBoxCaption(caption);
  seen.flags = flags;
  int answer = 0;
  if (user_ != nullptr) {
    const auto scripted = user_->TakeAnswer();
    seen.scripted = scripted.has_value();
    answer = scripted.value_or(def);
    QTimer::singleShot(0, &box, [&box, &results, answer] {
      for (auto& [button, result] : results) {
        if (result == answer) {
          button->click();
          return;
        }
      }
      box.done(0);
    });
  }
  box.exec();
  int result = 0;
  auto it = results.find(box.clickedButton());
  if (it != results.end()) result = it->second;
  if (result == 0 && user_ != nullptr) result = answer;
  if (result == 0) result = EscapeMessageBoxResult(flags) != 0 ? EscapeMessageBoxResult(flags) : def;
  seen.result = result;
  if (user_ != nullptr) user_->RecordMessageBox(std::move(seen));
  return result;
}

namespace {

// "Exe Files (*.exe)" with "*.exe" becomes Qt's "Exe Files (*.exe)"; Qt
// takes the patterns from the last parentheses, so a shown name's own
// pattern list is replaced by the real one, and "*.*" (every file on the
// original platform) becomes "*", which also matches names without a dot.
QString QtNameFilter(const FileFilter& f) {
  QString name = Q(f.name).trimmed();
  static const QRegularExpression kTrailing(QStringLiteral("\\s*\\([^()]*\\)$"));
  name.remove(kTrailing);
  QStringList patterns;
  for (QString p : Q(f.patterns).split(';', Qt::SkipEmptyParts)) {
    p = p.trimmed();
    patterns << (p == QStringLiteral("*.*") ? QStringLiteral("*") : p);
  }
  return name + QStringLiteral(" (") + patterns.join(' ') + QStringLiteral(")");
}

}  // namespace

std::optional<std::string> QtDialogHost::GetFileName(CDialog*, const FileDialogRequest& request) {
  const std::string folder = request.StartFolder();
  QFileDialog dialog(QApplication::activeModalWidget());
  dialog.setObjectName(QStringLiteral("fileDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode((request.flags & OFN_FILEMUSTEXIST) != 0 ? QFileDialog::ExistingFile
                                                                : QFileDialog::AnyFile);
  if (!request.title.empty()) {
    dialog.setWindowTitle(Q(request.title));
  } else {
    dialog.setWindowTitle(request.open ? QStringLiteral("Open") : QStringLiteral("Save As"));
  }
  QStringList filters;
  for (const FileFilter& f : request.filters) filters << QtNameFilter(f);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(Q(request.defaultExt));
  if (const auto host = platform::ToHostPath(folder)) dialog.setDirectory(Q(*host));
  dialog.selectFile(Q(request.StartName()));

  headless::ScriptedUser::FileDialogSeen seen;
  seen.request = request;
  std::optional<std::string> scripted;
  if (user_ != nullptr) {
    seen.answer = user_->TakeFileAnswer().value_or("");
    if (!seen.answer.empty()) {
      scripted = AcceptFileName(request, folder, seen.answer);
      seen.refused = !scripted;
    }
    // Played once the dialog shows, as a person would: the name typed into
    // the dialog's field and accepted, or the dialog cancelled.
    QTimer::singleShot(0, &dialog, [&dialog, &scripted] {
      const auto host = scripted ? platform::ToHostPath(*scripted) : std::nullopt;
      if (host) {
        dialog.selectFile(Q(*host));
        static_cast<QDialog&>(dialog).accept();  // through the public slot
      } else {
        dialog.reject();
      }
    });
  }
  std::optional<std::string> chosen;
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    const std::string picked = platform::ToDosPath(S(dialog.selectedFiles().first()));
    chosen = AcceptFileName(request, folder, picked);
  }
  seen.result = chosen.value_or("");
  if (user_ != nullptr) user_->RecordFileDialog(std::move(seen));
  return chosen;
}

void QtDialogHost::Beep(unsigned) { QApplication::beep(); }

void QtDialogHost::BeginWaitCursor() {
  if (waitDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtDialogHost::EndWaitCursor() {
  if (waitDepth_ == 0) return;
  if (--waitDepth_ == 0) QApplication::restoreOverrideCursor();
}

// --- QtOpenDialog ---------------------------------------------------------------------

namespace {

// Input as a person's arrives: mouse and key events delivered to the
// widget, which then does what it does for a person and reports it through
// its own signals.
void SendMouse(QWidget* target, QEvent::Type type, QPoint at) {
  QMouseEvent e(type, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::LeftButton,
                type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &e);
}

void SendKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QCoreApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QCoreApplication::sendEvent(target, &release);
}

// Replaces what the field holds with text in one go, as an input method
// commits a word: select everything, then commit.
void SendText(QWidget* target, const QString& text) {
  SendKey(target, Qt::Key_A, Qt::ControlModifier);
  QInputMethodEvent commit;
  commit.setCommitString(text);
  QCoreApplication::sendEvent(target, &commit);
}

}  // namespace

QWidget* QtOpenDialog::Widget(int id) const {
  return window_->findChild<QWidget*>(QStringLiteral("ctl%1").arg(id));
}

bool QtOpenDialog::Click(int id) {
  if (!model_.CanUse(id)) return false;
  if (auto* b = qobject_cast<QAbstractButton*>(Widget(id))) {
    b->click();
    return true;
  }
  return model_.UserClick(id);
}

bool QtOpenDialog::SelectRow(int id, int row) {
  if (!model_.CanUse(id) || row < 0 || row >= model_.Count(id)) return false;
  QWidget* w = Widget(id);
  if (auto* l = qobject_cast<QListWidget*>(w)) {
    if (l->currentRow() == row) return model_.UserSelect(id, row);
    l->setCurrentRow(row);
    return true;
  }
  if (auto* b = qobject_cast<QComboBox*>(w)) {
    // The arrow keys walk the closed list, one selection change a step.
    if (b->currentIndex() == row) return model_.UserSelect(id, row);
    if (b->currentIndex() < 0) SendKey(b, Qt::Key_Down);
    while (b->currentIndex() >= 0 && b->currentIndex() != row) {
      const int before = b->currentIndex();
      SendKey(b, b->currentIndex() < row ? Qt::Key_Down : Qt::Key_Up);
      if (b->currentIndex() == before) return false;
    }
    return b->currentIndex() == row;
  }
  return false;
}

bool QtOpenDialog::DoubleClickRow(int id, int row) {
  if (!model_.CanUse(id)) return false;
  auto* l = qobject_cast<QListWidget*>(Widget(id));
  if (l == nullptr || row < 0 || row >= l->count()) return false;
  l->scrollToItem(l->item(row));
  const QPoint at = l->visualItemRect(l->item(row)).center();
  QWidget* surface = l->viewport();
  SendMouse(surface, QEvent::MouseButtonPress, at);
  SendMouse(surface, QEvent::MouseButtonRelease, at);
  SendMouse(surface, QEvent::MouseButtonDblClick, at);
  SendMouse(surface, QEvent::MouseButtonRelease, at);
  return true;
}

bool QtOpenDialog::Type(int id, std::string_view text) {
  if (!model_.CanUse(id)) return false;
  QWidget* w = Widget(id);
  if (auto* e = qobject_cast<QLineEdit*>(w)) {
    if (e->isReadOnly()) return false;
    SendText(e, Q(text));
    return true;
  }
  if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
    if (e->isReadOnly()) return false;
    SendText(e, ToWidgetLines(std::string(text)));
    return true;
  }
  if (auto* b = qobject_cast<QComboBox*>(w); b != nullptr && b->isEditable()) {
    SendText(b->lineEdit(), Q(text));
    return true;
  }
  return false;
}

bool QtOpenDialog::MoveSlider(int id, int pos) {
  if (!model_.CanUse(id)) return false;
  auto* s = qobject_cast<QSlider*>(Widget(id));
  if (s == nullptr) return false;
  if (s->value() == std::clamp(pos, s->minimum(), s->maximum())) return model_.UserMoveSlider(id, pos);
  s->setValue(pos);
  return true;
}

bool QtOpenDialog::ChooseMenu(int commandId) {
  auto* action = window_->findChild<QAction*>(QStringLiteral("cmd%1").arg(commandId));
  if (action == nullptr || !action->isEnabled() || model_.Ended()) return false;
  action->trigger();
  return true;
}

bool QtOpenDialog::ChooseSystemMenu(int commandId) {
  auto* window = dynamic_cast<QtDialogWindow*>(window_);
  QMenu* menu = window != nullptr ? window->SystemMenu() : nullptr;
  auto* action = menu != nullptr ? menu->findChild<QAction*>(QStringLiteral("sys%1").arg(commandId))
                                 : nullptr;
  if (action == nullptr || !action->isEnabled() || model_.Ended()) return false;
  action->trigger();
  return true;
}

bool QtOpenDialog::Close() {
  if (model_.Ended()) return false;
  window_->close();
  return true;
}

bool QtOpenDialog::PressEnter() {
  if (model_.Ended()) return false;
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(window_, &press);
  return true;
}

void QtOpenDialog::Paint() { window_->repaint(); }

bool QtOpenDialog::SaveScreenshot(const std::string& path) {
  return window_->grab().save(Q(path), "PNG");
}

}  // namespace ui::qt
