#include "app/Application.h"
#include "core/common/AppError.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace tilvane {
namespace {

class ThrowingObject : public QObject {
public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User)
      throw EAppError(QStringLiteral("handler failed"));
    return QObject::event(e);
  }
};

TEST(TilvaneApplicationTest, EscapedErrorIsReportedAndTheProgramGoesOn) {
  auto* app = static_cast<TApplication*>(QCoreApplication::instance());
  QStringList reported;
  app->SetExceptionHandler(
      [&](std::exception_ptr e) { reported << TApplication::ExceptionMessage(e); });

  ThrowingObject object;
  bool laterEventRan = false;
  QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
  QTimer::singleShot(0, app, [&] { laterEventRan = true; });
  QTimer::singleShot(50, app, [] { QCoreApplication::exit(0); });
  EXPECT_EQ(QCoreApplication::exec(), 0);

  EXPECT_EQ(reported, QStringList{QStringLiteral("handler failed")});
  EXPECT_TRUE(laterEventRan);
  app->SetExceptionHandler({});
}

TEST(TilvaneApplicationTest, ExceptionMessages) {
  EXPECT_EQ(TApplication::ExceptionMessage(std::make_exception_ptr(EAppError(QStringLiteral("a")))),
            QStringLiteral("a"));
  EXPECT_EQ(TApplication::ExceptionMessage(std::make_exception_ptr(std::runtime_error("b"))),
            QStringLiteral("b"));
  EXPECT_EQ(TApplication::ExceptionMessage(std::make_exception_ptr(42)),
            QStringLiteral("Unknown error"));
  // Texts from the platform layer are UTF-8 whatever the local code page.
  EXPECT_EQ(TApplication::ExceptionMessage(std::make_exception_ptr(
                std::runtime_error("Zugriff verweigert: C:\\Benutzer\\J\xc3\xbcrgen"))),
            QString::fromUtf8("Zugriff verweigert: C:\\Benutzer\\J\u00fcrgen"));
}

} // namespace
} // namespace tilvane

int main(int argc, char** argv) {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testing::InitGoogleTest(&argc, argv);
  tilvane::TApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
