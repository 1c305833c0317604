#pragma once

#include "app/puzzle_app.h"
#include "ui/qt/qt_platform.h"

namespace vexilo::qt {

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

  QtPlatform& qtPlatform() { return platform_; }

 private:
  QtPlatform platform_;
};

}  // namespace vexilo::qt
