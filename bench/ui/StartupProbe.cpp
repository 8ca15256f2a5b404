// The program, ending as soon as its main window was painted for the first
// time: it then writes "painted" to its output. The start-up benchmark
// starts it and takes the time.
#include "app/Program.h"
#include "gui/main/MainFM.h"

#include <QCoreApplication>
#include <QEvent>

#include <cstdio>

namespace {

class TFirstPaint : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* AWatched, QEvent* AEvent) override {
    if (AEvent->type() == QEvent::Paint && !FSeen) {
      FSeen = true;
      std::fputs("painted\n", stdout);
      std::fflush(stdout);
      QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                Qt::QueuedConnection);
    }
    return QObject::eventFilter(AWatched, AEvent);
  }

private:
  bool FSeen = false;
};

} // namespace

int main(int argc, char** argv) {
  return tilvane::RunTilvane(argc, argv, [](tilvane::TfmMain& AMain) {
    AMain.installEventFilter(new TFirstPaint(&AMain));
  });
}
