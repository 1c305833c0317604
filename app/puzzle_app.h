#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ui/platform.h"

namespace vexilo {

class MainDialog;

// What start-up needs of the window system; main.cpp hands in the Qt one.
class DesktopShell {
 public:
  virtual ~DesktopShell() = default;
  virtual std::unique_ptr<SettingsStore> openSettings(std::string_view company,
                                                      std::string_view application) = 0;
  virtual Platform& platform() = 0;
  // Builds the window of the dialog; its controls exist when this returns.
  virtual void createWindow(MainDialog& dialog) = 0;
  // Shows the window modally until the dialog ends; returns its result.
  virtual int runModal() = 0;
  virtual void destroyWindow() = 0;
  // Where the sample puzzles and the dictionary lie (a platform path; empty when unknown).
  virtual std::string samplesFolder() = 0;
};

// The application object: opens the store, runs the main dialog once, and ends.
class PuzzleApp {
 public:
  explicit PuzzleApp(DesktopShell& shell) : shell_(shell) {}
  // The whole life of the program; returns the exit status.
  int InitInstance();

 private:
  DesktopShell& shell_;
};

}  // namespace vexilo
