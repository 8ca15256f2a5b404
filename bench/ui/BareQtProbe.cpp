// The yardstick of the start-up benchmark: the least a Qt Widgets program
// does to show a window, a bare QWidget titled "Tilvane", ending as soon as
// it was painted for the first time (it then writes "painted", as the
// program's own probe does).
#include <QApplication>
#include <QEvent>
#include <QWidget>

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
  QApplication App(argc, argv);
  QWidget Window;
  Window.setWindowTitle(QStringLiteral("Tilvane"));
  Window.installEventFilter(new TFirstPaint(&Window));
  Window.show();
  return QApplication::exec();
}
