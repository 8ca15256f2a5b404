// The yardstick of the start-up benchmark: the least a Qt Widgets program
// does to show a window, a bare QWidget titled "Tilvane", ending as soon as
// it was painted for the first time (it then writes "painted", as the
// program's own probe does).
#include "FirstPaintProbe.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication App(argc, argv);
  QWidget Window;
  Window.setWindowTitle(QStringLiteral("Tilvane"));
  Window.installEventFilter(new tilvane::bench::TFirstPaint(&Window));
  Window.show();
  return QApplication::exec();
}
