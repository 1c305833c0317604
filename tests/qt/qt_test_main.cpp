#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

#include "ui/qt/qt_shell.h"

// The window tests run without a display, with a configuration folder of their own.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QTemporaryDir config;
  setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
  QApplication application(argc, argv);
  vexilo::qt::QtShell shell;  // the application-wide font and icon of the program
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
