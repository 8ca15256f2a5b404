#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  // Test binaries also run outside ctest (and ctest lists their tests by
  // running them): without a display, use Qt's headless platform.
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tilvane"));
  return RUN_ALL_TESTS();
}
