#include "app/Application.h"

#include "core/common/AppError.h"

#include <QMetaObject>

#include <cstdio>

namespace tilvane {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    // Report from the event loop, not from inside the handler that failed:
    // the report may show a window, and the failed handler's objects must be
    // gone by then.
    QMetaObject::invokeMethod(
        this, [this, error = std::current_exception()] { ReportException(error); },
        Qt::QueuedConnection);
    return false;
  }
}

void TApplication::ReportException(std::exception_ptr error) {
  if (!FExceptionHandler) {
    std::fprintf(stderr, "Tilvane: %s\n", qUtf8Printable(ExceptionMessage(error)));
    return;
  }
  try {
    FExceptionHandler(error);
  } catch (...) {
    // The report itself failed: there is nobody left to tell but the console.
    std::fprintf(stderr, "Tilvane: %s\n", qUtf8Printable(ExceptionMessage(error)));
  }
}

QString TApplication::ExceptionMessage(std::exception_ptr error) {
  return tilvane::ExceptionMessage(error);
}

} // namespace tilvane
