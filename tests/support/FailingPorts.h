#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace tilvane::test {

// A TCP port that accepts connections and closes each one at once without a
// byte of answer: a transport failure that the server side can count.
class DroppingServer {
public:
  DroppingServer();
  ~DroppingServer();

  int Port() const { return FPort; }
  QString Url() const { return QStringLiteral("http://127.0.0.1:%1/mods.html").arg(FPort); }
  std::vector<std::chrono::steady_clock::time_point> Accepted();

private:
  int FSocket = -1;
  int FPort = 0;
  std::atomic<bool> FStop{false};
  std::mutex FLock;
  std::vector<std::chrono::steady_clock::time_point> FAccepted;
  std::thread FThread;
};

// A port on 127.0.0.1 that refuses connections for the object's lifetime (bound,
// not listening).
class ClosedPort {
public:
  ClosedPort();
  ~ClosedPort();
  int Port() const { return FPort; }
  QString Url() const { return QStringLiteral("http://127.0.0.1:%1/mods.html").arg(FPort); }

private:
  int FSocket = -1;
  int FPort = 0;
};

// A port on 127.0.0.1 whose accept queue is full for the object's lifetime:
// it is never accepted from, so a client's connect neither completes nor fails
// (its SYNs are dropped) until the client's own time-out.
class FullBacklogPort {
public:
  FullBacklogPort();
  ~FullBacklogPort();
  int Port() const { return FPort; }
  QString Url() const { return QStringLiteral("http://127.0.0.1:%1/mods.html").arg(FPort); }

private:
  int FSocket = -1;
  int FPort = 0;
  std::vector<int> FFillers;
};

} // namespace tilvane::test
