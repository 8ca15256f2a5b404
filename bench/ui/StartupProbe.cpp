// The program, ending as soon as its main window was painted for the first
// time: it then writes "painted" to its output. The start-up benchmark
// starts it and takes the time.
#include "FirstPaintProbe.h"
#include "app/Program.h"
#include "gui/main/MainFM.h"

int main(int argc, char** argv) {
  return tilvane::RunTilvane(argc, argv, [](tilvane::TfmMain& AMain) {
    AMain.installEventFilter(new tilvane::bench::TFirstPaint(&AMain));
  });
}
