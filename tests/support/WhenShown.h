#pragma once

#include <QApplication>
#include <QObject>
#include <QTimer>

#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <memory>

namespace tilvane::test {

// Acts on the next modal window of class T as soon as it is shown, without
// blocking the test, which is waiting in the window's own event loop. The
// action runs in a timer's slot, where no exception may escape: a failure it
// throws (a control Child<> did not find) fails the test instead.
template <class T> void WhenShown(std::function<void(T*)> AAction) {
  auto* Poll = new QTimer;
  auto Deadline = std::make_shared<int>(2000); // 20 s in 10 ms steps
  QObject::connect(Poll, &QTimer::timeout, Poll, [Poll, AAction, Deadline] {
    if (auto* Window = qobject_cast<T*>(QApplication::activeModalWidget())) {
      Poll->deleteLater();
      Poll->stop();
      try {
        AAction(Window);
      } catch (const std::exception& AError) {
        ADD_FAILURE() << AError.what();
      }
    } else if (--*Deadline <= 0) {
      Poll->deleteLater();
      Poll->stop();
    }
  });
  Poll->start(10);
}

} // namespace tilvane::test
