#pragma once

#include <QLocale>

#include "app/puzzle_app.h"
#include "ui/qt/qt_platform.h"

namespace vexilo::qt {

// Qt's own texts (file dialogs, the buttons of message boxes) in the language of locale, from
// the translations of the system's Qt; in place of any loaded before. False when there are
// none for it (English stays).
bool loadQtTranslations(const QLocale& locale);

// Start-up's window system on Qt; a QApplication must exist.
class QtShell final : public DesktopShell {
 public:
  QtShell();
  std::unique_ptr<SettingsStore> openSettings(std::string_view company,
                                              std::string_view application) override;
  Platform& platform() override { return platform_; }
  void createWindow(MainDialog& dialog) override;
  int runModal() override;
  void destroyWindow() override;
  std::string samplesFolder() override;

  QtPlatform& qtPlatform() { return platform_; }

 private:
  QtPlatform platform_;
};

}  // namespace vexilo::qt
