#include "app/Application.h"

#include "core/common/AppError.h"

#include <QMetaObject>

#include <cstdio>

namespace tilvane {

TApplication::TApplication(int& AArgc, char** AArgv) : QApplication(AArgc, AArgv) {}

bool TApplication::notify(QObject* AReceiver, QEvent* AEvent) {
  try {
    return QApplication::notify(AReceiver, AEvent);
  } catch (...) {
    // Report from the event loop, not from inside the handler that failed:
    // the report may show a window, and the failed handler's objects must be
    // gone by then.
    QMetaObject::invokeMethod(
        this, [this, Error = std::current_exception()] { ReportException(Error); },
        Qt::QueuedConnection);
    return false;
  }
}

void TApplication::ReportException(std::exception_ptr AError) {
  if (!FExceptionHandler) {
    std::fprintf(stderr, "Tilvane: %s\n", qUtf8Printable(ExceptionMessage(AError)));
    return;
  }
  try {
    FExceptionHandler(AError);
  } catch (...) {
    // The report itself failed: there is nobody left to tell but the console.
    std::fprintf(stderr, "Tilvane: %s\n", qUtf8Printable(ExceptionMessage(AError)));
  }
}

QString TApplication::ExceptionMessage(std::exception_ptr AError) {
  return tilvane::ExceptionMessage(AError);
}

} // namespace tilvane
