#include "ui/qt/qt_shell.h"

#include <QApplication>

#include "ui/qt/app_icon.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/qt_settings_store.h"

namespace vexilo::qt {

QtShell::QtShell() {
  QApplication::setFont(dialogFont());  // message boxes and file dialogs too
  QApplication::setWindowIcon(appIcon());
  QApplication::setQuitOnLastWindowClosed(false);  // the program ends when the dialog has ended
}

std::unique_ptr<SettingsStore> QtShell::openSettings(std::string_view company,
                                                     std::string_view application) {
  return std::make_unique<QtSettingsStore>(
      QString::fromUtf8(company.data(), static_cast<qsizetype>(company.size())),
      QString::fromUtf8(application.data(), static_cast<qsizetype>(application.size())));
}

void QtShell::createWindow(MainDialog& dialog) { platform_.attach(dialog); }

int QtShell::runModal() { return platform_.window()->exec(); }

void QtShell::destroyWindow() { platform_.detach(); }

}  // namespace vexilo::qt
