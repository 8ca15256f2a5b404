#pragma once

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>

namespace tilvane {

// The application object. An error that escapes an event handler does not end
// the program: it goes to the exception handler, which runs from the event
// loop once the failed handler has unwound, and the program goes on.
class TApplication : public QApplication {
  Q_OBJECT

public:
  using TExceptionHandler = std::function<void(std::exception_ptr)>;

  TApplication(int& AArgc, char** AArgv);

  void SetExceptionHandler(TExceptionHandler AHandler) { FExceptionHandler = std::move(AHandler); }

  bool notify(QObject* AReceiver, QEvent* AEvent) override;

  // The text an error carries: the message of an EAppError or the what() of
  // any other standard exception.
  static QString ExceptionMessage(std::exception_ptr AError);

private:
  void ReportException(std::exception_ptr AError);

  TExceptionHandler FExceptionHandler;
};

} // namespace tilvane
