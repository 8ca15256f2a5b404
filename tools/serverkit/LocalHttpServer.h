#pragma once

#include <httplib.h>

#include <QString>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace tilvane::kit {

// A real HTTP server on 127.0.0.1 with a free port, running on its own thread
// for the lifetime of the object. Register handlers on Server() before Start().
// Loopback only: the tests, the benchmarks and the demo never offer anything
// to the network.
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

} // namespace tilvane::kit
