#include "ui/qt/qt_shell.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>
#include <vector>

#include "ui/qt/app_icon.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/qt_settings_store.h"
#include "ui/qt/qt_text.h"

namespace vexilo::qt {

bool loadQtTranslations(const QLocale& locale) {
  static std::vector<std::unique_ptr<QTranslator>> loaded;
  for (const std::unique_ptr<QTranslator>& translator : loaded) {
    QCoreApplication::removeTranslator(translator.get());
  }
  loaded.clear();
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
    return false;
  }
  QCoreApplication::installTranslator(translator.get());
  loaded.push_back(std::move(translator));
  return true;
}

QtShell::QtShell() {
  loadQtTranslations(QLocale());
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

// Installed beside the program (prefix/bin and prefix/share/vexilo), else the source tree's
// data/ for a program run from its build.
std::string QtShell::samplesFolder() {
  const QDir installed(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/vexilo"));
  if (installed.exists()) return toPath(installed.canonicalPath());
  const QFileInfo source(QStringLiteral(VEXILO_SOURCE_DATA_DIR));
  return source.isDir() ? toPath(source.canonicalFilePath()) : std::string();
}

}  // namespace vexilo::qt
