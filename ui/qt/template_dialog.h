#pragma once

#include <QDialog>
#include <QMenuBar>
#include <functional>
#include <map>

#include "app/dialog_templates.h"
#include "ui/qt/dialog_units.h"

namespace vexilo::qt {

// A dialog built from a template: controls by id in tab order, sizes from dialog units of the
// dialog font, fixed size. Buttons and menu items report their id through onCommand; without
// it, 1 accepts and 2 rejects as a box does.
class TemplateDialog : public QDialog {
 public:
  // Makes the widget of a control itself, or returns nullptr for the usual one.
  using ControlFactory = std::function<QWidget*(const ControlTemplate&, QWidget* parent)>;

  TemplateDialog(const DialogTemplate& dialog, QWidget* owner, const ControlFactory& factory = {});

  QWidget* control(int id) const;
  QWidget* clientArea() const { return client_; }  // dialog client coordinates are its own
  QMenu* menu(int index) const;   // a menu of the menu bar, left to right; nullptr without
  QAction* action(int id) const;  // the menu item of a command; nullptr without
  const DialogUnits& units() const { return units_; }

  std::function<void(int)> onCommand;
  std::function<void()> onCancel;  // Escape, the close box; without it, reject

  void reject() override;
  void command(int id);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* makeControl(const ControlTemplate& control, const ControlFactory& factory);
  void buildMenu();
  void fillMenu(QMenu* popup, const MenuTemplate& menu);

  const DialogTemplate& template_;
  DialogUnits units_;
  QWidget* client_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  std::map<int, QWidget*> controls_;
  std::map<int, QAction*> actions_;
};

}  // namespace vexilo::qt
