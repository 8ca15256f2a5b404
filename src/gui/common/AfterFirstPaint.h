#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace tilvane {

// Runs a job once the window has been painted for the first time, when
// control is back in the event loop: what the first frame does not show
// (the update check, a question, the window's icon) waits until the player
// sees the window. Belongs to the window; gone once the job ran.
class TAfterFirstPaint : public QObject {
public:
  TAfterFirstPaint(QWidget* AWindow, std::function<void()> AJob);

protected:
  bool eventFilter(QObject* AWatched, QEvent* AEvent) override;

private:
  QWidget* FWindow;
  std::function<void()> FJob;
};

} // namespace tilvane
