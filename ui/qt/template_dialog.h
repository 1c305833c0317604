#pragma once

#include <QDialog>
#include <QFontMetrics>
#include <QMenuBar>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "app/dialog_templates.h"
#include "ui/qt/dialog_units.h"
#include "ui/window_layout.h"

namespace vexilo::qt {

// A dialog built from a template: controls by id in tab order, sizes from dialog units of the
// dialog font. A box has a fixed size; a template with a thick frame can be resized, its
// controls following the grid frame (WindowLayout), and has room for a side panel beside them.
// Buttons and menu items report their id through onCommand; without it, 1 accepts and 2
// rejects as a box does.
class TemplateDialog : public QDialog {
 public:
  // Makes the widget of a control itself, or returns nullptr for the usual one.
  using ControlFactory = std::function<QWidget*(const ControlTemplate&, QWidget* parent)>;

  TemplateDialog(const DialogTemplate& dialog, QWidget* owner, const ControlFactory& factory = {});

  QWidget* control(int id) const;
  QWidget* clientArea() const { return client_; }  // dialog client coordinates are its own
  QMenu* menu(int index) const;   // a menu of the menu bar, left to right; nullptr without
  QAction* action(int id) const;  // the menu item of a command; nullptr without
  QMenu* submenu(int id) const;   // the submenu of a menu item; nullptr without
  const DialogUnits& units() const { return units_; }
  // Of a resizable dialog; nullptr for a box.
  const WindowLayout* windowLayout() const { return layout_ ? &*layout_ : nullptr; }
  GridShape shown() const { return shown_; }
  // Beside the controls, hidden while empty: a panel added to its layout shows when shown.
  QWidget* sideArea() const { return side_; }
  int sideExtent() const;  // of the side area and its handle while shown; 0 while hidden
  // The outer size the window takes first: the template's, made smaller to fit the screen.
  QSize defaultSize() const;

  std::function<void(int)> onCommand;
  std::function<void()> onCancel;   // Escape, the close box; without it, reject
  std::function<void()> onLaidOut;  // the controls of a resizable dialog moved

  void reject() override;
  void command(int id);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* makeControl(const ControlTemplate& control, const ControlFactory& factory);
  void buildMenu();
  void layOut();
  void fillMenu(QMenu* popup, const MenuTemplate& menu);

  const DialogTemplate& template_;
  DialogUnits units_;
  QWidget* client_ = nullptr;
  QWidget* side_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  std::map<int, QWidget*> controls_;
  std::vector<QWidget*> inOrder_;  // every control, in template order
  std::map<int, QAction*> actions_;
  std::map<int, QMenu*> submenus_;
  std::optional<WindowLayout> layout_;
  GridShape shown_;
};

}  // namespace vexilo::qt
