#pragma once

#include <QObject>
#include <QString>

#include <stdexcept>
#include <string>

namespace tilvane::test {

// A named child of AParent; a missing one fails the test instead of crashing it.
template <class T> T& Child(const QObject& AParent, const char* AName) {
  T* Found = AParent.findChild<T*>(QLatin1String(AName));
  if (!Found)
    throw std::runtime_error(std::string("no child named ") + AName);
  return *Found;
}

} // namespace tilvane::test
