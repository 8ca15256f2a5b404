#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  // Test binaries also run outside ctest (and ctest lists their tests by
  // running them): without a display, use Qt's headless platform.
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Nothing a test runs may reach the real home folder: not the settings of
  // Qt or the desktop, and not the trash that removed mod archives go to.
  QTemporaryDir Home;
  if (!Home.isValid())
    return 1;
  const QByteArray HomePath = Home.path().toLocal8Bit();
  setenv("HOME", HomePath.constData(), 1);
  for (const char* Name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
    unsetenv(Name);
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tilvane"));
  return RUN_ALL_TESTS();
}
