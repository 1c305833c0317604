#include "ui/qt/template_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStyleOptionFrame>
#include <QVBoxLayout>

#include "app/control_ids.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/qt_text.h"

namespace vexilo::qt {

namespace {

constexpr QSize LaptopScreen(1366, 728);  // 1366 by 768 less a panel of 40 pixels
constexpr int TitleBar = 48;              // what a window manager adds around, at most
constexpr int SmallestPitch = 24;         // of a cell, in pixels, with room for a letter

Qt::WindowFlags flagsOf(unsigned style) {
  if ((style & DialogCaption) == 0) return Qt::Dialog | Qt::FramelessWindowHint;
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if ((style & DialogSystemMenu) != 0)
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if ((style & DialogMinimizeBox) != 0) flags |= Qt::WindowMinimizeButtonHint;
  if ((style & DialogMaximizeBox) != 0) flags |= Qt::WindowMaximizeButtonHint;
  return flags;
}

// The client area of a resizable dialog: as large as the template at first.
class ClientArea : public QWidget {
 public:
  ClientArea(QWidget* parent, QSize hint) : QWidget(parent), hint_(hint) {}
  QSize sizeHint() const override { return hint_; }

 private:
  QSize hint_;
};

}  // namespace

TemplateDialog::TemplateDialog(const DialogTemplate& dialog, QWidget* owner,
                               const ControlFactory& factory)
    : QDialog(owner, flagsOf(dialog.style)),
      template_(dialog),
      units_(DialogUnits::of(dialogFont(dialog.fontPoints))) {
  setFont(dialogFont(dialog.fontPoints));
  setWindowTitle(fromSjis(dialog.caption));
  setWindowIcon(appIcon());
  setSizeGripEnabled(false);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  if (dialog.menuId == MainMenuId) buildMenu();
  if (menuBar_ != nullptr) layout->setMenuBar(menuBar_);
  const QSize size(units_.x(dialog.width), units_.y(dialog.height));
  if ((dialog.style & DialogThickFrame) != 0) {
    const int letters = QFontMetrics(font()).height();
    layout_.emplace(dialog, DialogScale{units_.baseX, units_.baseY},
                    qMax(SmallestPitch, letters + 10));  // 6 of gap, 4 of edges
    client_ = new ClientArea(this, size);
    const Size smallest = layout_->minimumSize();
    client_->setMinimumSize(smallest.width, smallest.height);
    client_->installEventFilter(this);
    side_ = new QWidget(this);
    side_->setLayout(new QVBoxLayout);
    side_->layout()->setContentsMargins(0, 0, 0, 0);
    side_->hide();
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(client_);
    splitter->addWidget(side_);
    splitter->setStretchFactor(0, 1);
    layout->addWidget(splitter, 1);
  } else {
    layout->setSizeConstraint(QLayout::SetFixedSize);
    client_ = new QWidget(this);
    client_->setFixedSize(size);
    layout->addWidget(client_);
  }

  QButtonGroup* radios = nullptr;
  QWidget* previous = nullptr;
  for (const ControlTemplate& control : dialog.controls) {
    QWidget* widget = makeControl(control, factory);
    if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
      if (radios == nullptr || (control.style & StyleGroup) != 0) radios = new QButtonGroup(this);
      radios->addButton(radio);
    }
    if (control.id != NoId) controls_[control.id] = widget;
    inOrder_.push_back(widget);
    if (widget->focusPolicy() != Qt::NoFocus) {
      if (previous != nullptr) {
        setTabOrder(previous, widget);
      } else {
        widget->setFocus(Qt::OtherFocusReason);  // the first control in tab order
      }
      previous = widget;
    }
  }
}

QWidget* TemplateDialog::makeControl(const ControlTemplate& control,
                                     const ControlFactory& factory) {
  const QRect place = units_.rect(control.position);
  const QString text = fromSjis(control.text);
  QWidget* widget = factory ? factory(control, client_) : nullptr;
  if (widget == nullptr) {
    switch (control.kind) {
      case ControlKind::PushButton:
      case ControlKind::DefaultPushButton: {
        auto* button = new QPushButton(text, client_);
        button->setDefault(control.kind == ControlKind::DefaultPushButton);
        connect(button, &QPushButton::clicked, this, [this, id = control.id] { command(id); });
        widget = button;
        break;
      }
      case ControlKind::CheckBox: widget = new QCheckBox(text, client_); break;
      case ControlKind::RadioButton: widget = new QRadioButton(text, client_); break;
      case ControlKind::Edit:
        if ((control.style & StyleMultiLine) != 0) {
          auto* edit = new QPlainTextEdit(client_);
          if ((control.style & StyleVScroll) != 0) {
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
          }
          edit->setTabChangesFocus(true);
          edit->installEventFilter(this);  // Enter goes to the default button, as Tab moves on
          widget = edit;
        } else {
          auto* edit = new QLineEdit(client_);
          if ((control.style & StyleCentre) != 0) edit->setAlignment(Qt::AlignCenter);
          widget = edit;
        }
        break;
      case ControlKind::EtchedFrame: {
        auto* frame = new QFrame(client_);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        widget = frame;
        break;
      }
      case ControlKind::GroupBox:
        widget = new QGroupBox(text, client_);
        widget->setFocusPolicy(Qt::NoFocus);
        break;
      case ControlKind::HorizontalScrollBar:
        widget = new QScrollBar(Qt::Horizontal, client_);
        break;
      case ControlKind::VerticalScrollBar: widget = new QScrollBar(Qt::Vertical, client_); break;
      case ControlKind::Text: widget = new QLabel(text, client_); break;
      case ControlKind::Icon: {
        auto* label = new QLabel(client_);
        label->setPixmap(appIcon().pixmap(32, 32));
        label->adjustSize();
        label->move(place.topLeft());
        return label;
      }
    }
  }
  widget->setGeometry(place);
  return widget;
}

void TemplateDialog::buildMenu() {
  menuBar_ = new QMenuBar(this);
  for (const MenuTemplate& menu : mainMenu())
    fillMenu(menuBar_->addMenu(fromSjis(menu.text)), menu);
}

void TemplateDialog::fillMenu(QMenu* popup, const MenuTemplate& menu) {
  QActionGroup* choices = nullptr;
  for (const MenuItemTemplate& item : menu.items) {
    if (item.submenu != nullptr) {
      fillMenu(popup->addMenu(fromSjis(item.submenu->text)), *item.submenu);
      continue;
    }
    if (item.id == 0) {
      popup->addSeparator();
      continue;
    }
    if (item.platformEntries) {
      QMenu* entries = popup->addMenu(fromSjis(item.text));
      entries->setEnabled(false);  // until the platform gives it entries
      submenus_[item.id] = entries;
      continue;
    }
    QAction* action = popup->addAction(fromSjis(item.text));
    if (item.radio) {
      if (choices == nullptr) choices = new QActionGroup(popup);
      action->setCheckable(true);
      choices->addAction(action);
    }
    if (item.check) action->setCheckable(true);
    QList<QKeySequence> keys;
    for (const AcceleratorTemplate& key : accelerators()) {
      if (key.id == item.id) keys << QKeySequence(QString::fromLatin1(key.keys));
    }
    action->setShortcuts(keys);
    actions_[item.id] = action;
    connect(action, &QAction::triggered, this, [this, id = item.id] { command(id); });
  }
}

QWidget* TemplateDialog::control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

QAction* TemplateDialog::action(int id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

QMenu* TemplateDialog::submenu(int id) const {
  const auto found = submenus_.find(id);
  return found == submenus_.end() ? nullptr : found->second;
}

QSize TemplateDialog::defaultSize() const {
  QSize room = LaptopScreen;
  if (const QScreen* shown = screen()) room = room.boundedTo(shown->availableGeometry().size());
  room.rheight() -= TitleBar;
  return sizeHint().boundedTo(room).expandedTo(minimumSizeHint());
}

int TemplateDialog::sideExtent() const {
  if (side_ == nullptr || !side_->isVisibleTo(this)) return 0;
  const auto* splitter = qobject_cast<const QSplitter*>(side_->parentWidget());
  const int width = qMax(side_->minimumSizeHint().width(), side_->minimumWidth());
  return width + (splitter != nullptr ? splitter->handleWidth() : 0);
}

void TemplateDialog::layOut() {
  const WindowLayout::Placed placed = layout_->place({client_->width(), client_->height()});
  for (std::size_t i = 0; i < inOrder_.size() && i < placed.controls.size(); ++i) {
    const Rect& r = placed.controls[i];
    inOrder_[i]->setGeometry(r.left, r.top, r.width(), r.height());
  }
  shown_ = placed.shown;
  if (onLaidOut) onLaidOut();
}

QMenu* TemplateDialog::menu(int index) const {
  if (menuBar_ == nullptr) return nullptr;
  const QList<QAction*> actions = menuBar_->actions();
  return index < 0 || index >= actions.size() ? nullptr : actions[index]->menu();
}

void TemplateDialog::command(int id) {
  if (onCommand) {
    onCommand(id);
  } else if (id == IdOk) {
    accept();
  } else if (id == IdCancel) {
    reject();
  }
}

void TemplateDialog::reject() {
  if (onCancel) {
    onCancel();
  } else {
    QDialog::reject();
  }
}

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
  // Enter with no default button gives OK, as in every box.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      event->modifiers() == Qt::NoModifier) {
    for (const QPushButton* button : findChildren<QPushButton*>()) {
      if (button->isDefault() && button->isVisible()) return QDialog::keyPressEvent(event);
    }
    command(IdOk);
    return;
  }
  QDialog::keyPressEvent(event);
}

bool TemplateDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize && layout_) layOut();
  if (event->type() == QEvent::KeyPress && qobject_cast<QPlainTextEdit*>(watched) != nullptr) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        key->modifiers() == Qt::NoModifier) {
      keyPressEvent(key);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TemplateDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if ((template_.style & DialogCaption) != 0) return;
  // No title bar, so the box draws its own raised frame.
  QPainter painter(this);
  QStyleOptionFrame option;
  option.initFrom(this);
  option.lineWidth = 2;
  option.state |= QStyle::State_Raised;
  style()->drawPrimitive(QStyle::PE_Frame, &option, &painter, this);
}

}  // namespace vexilo::qt
