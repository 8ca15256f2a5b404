#pragma once

#include <httplib.h>

#include <QString>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace tilvane::test {

// A real HTTP server on 127.0.0.1 with a free port, running on its own thread
// for the lifetime of the object. Register handlers on Server() before Start().
class LocalHttpServer {
public:
  LocalHttpServer() = default;
  ~LocalHttpServer() { Stop(); }

  httplib::Server& Server() { return FServer; }

  void Start() {
    FPort = FServer.bind_to_any_port("127.0.0.1");
    // Without a port the server would never run, and the wait below never end.
    if (FPort <= 0)
      throw std::runtime_error("cannot bind a port on 127.0.0.1");
    FThread = std::thread([this] { FServer.listen_after_bind(); });
    while (!FServer.is_running())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  void Stop() {
    Stopping = true;
    if (FThread.joinable()) {
      FServer.stop();
      FThread.join();
    }
  }

  int Port() const { return FPort; }
  QString Url(const char* APath) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(FPort).arg(QLatin1String(APath));
  }

  // Handlers that stall poll this to end when the test is over.
  std::atomic<bool> Stopping{false};

private:
  httplib::Server FServer;
  std::thread FThread;
  int FPort = 0;
};

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
