#pragma once

class QWidget;

namespace tilvane {

// A nesting-safe switch that stops a window from repainting while it is
// rebuilt. Only the outermost pair switches updates off and on; inner pairs
// only count. Pair every Begin with one End, in a guaranteed-cleanup path.
int BeginWindowUpdate(QWidget* AWinHandle);
// Raises "EndWindowUpdate is called one too many times." without a matching begin.
int EndWindowUpdate(QWidget* AWinHandle);

// Open Begin calls on a window (0 when none).
int WindowUpdateCount(const QWidget* AWinHandle);

// Begin on construction, End on destruction.
class TWindowUpdateGuard {
public:
  explicit TWindowUpdateGuard(QWidget* AWindow) : FWindow(AWindow) { BeginWindowUpdate(FWindow); }
  // Throws only when something else ended this window's update behind the
  // guard's back: a fault to surface, not to swallow.
  // NOLINTNEXTLINE(bugprone-exception-escape)
  ~TWindowUpdateGuard() noexcept(false) { EndWindowUpdate(FWindow); }
  TWindowUpdateGuard(const TWindowUpdateGuard&) = delete;
  TWindowUpdateGuard& operator=(const TWindowUpdateGuard&) = delete;

private:
  QWidget* FWindow;
};

} // namespace tilvane
