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

// A server on 127.0.0.1 that answers each connection in one of three ways a
// server in the wild may, each on a thread of its own, until the object goes:
//   Silent:    accepts and never sends a byte (it never even reads the request);
//   Trickling: sends the headers of a 200 answer, then one byte of the body
//              every AInterval, without end;
//   Endless:   sends the headers, then a body without end as fast as the
//              client takes it.
class MisbehavingServer {
public:
  enum class Kind { Silent, Trickling, Endless };
  explicit MisbehavingServer(Kind AKind,
                             std::chrono::milliseconds AInterval = std::chrono::milliseconds(50));
  ~MisbehavingServer();

  int Port() const { return FPort; }
  QString Url() const { return QStringLiteral("http://127.0.0.1:%1/mods.html").arg(FPort); }
  // The connections accepted so far.
  int Accepted() const { return FAccepted; }
  // The body bytes sent so far, over all connections.
  long long BodyBytesSent() const { return FBodyBytes; }

private:
  void Serve(int AClient);

  Kind FKind;
  std::chrono::milliseconds FInterval;
  int FSocket = -1;
  int FPort = 0;
  std::atomic<bool> FStop{false};
  std::atomic<int> FAccepted{0};
  std::atomic<long long> FBodyBytes{0};
  std::mutex FLock;
  std::vector<std::thread> FConnections;
  std::thread FThread;
};

} // namespace tilvane::test
