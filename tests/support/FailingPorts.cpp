#include "support/FailingPorts.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace tilvane::test {

namespace {

int BindLoopback(int& APort) {
  const int Socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in Address{};
  Address.sin_family = AF_INET;
  Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  Address.sin_port = 0;
  ::bind(Socket, reinterpret_cast<sockaddr*>(&Address), sizeof(Address));
  socklen_t Length = sizeof(Address);
  ::getsockname(Socket, reinterpret_cast<sockaddr*>(&Address), &Length);
  APort = ntohs(Address.sin_port);
  return Socket;
}

} // namespace

DroppingServer::DroppingServer() {
  FSocket = BindLoopback(FPort);
  ::listen(FSocket, 16);
  FThread = std::thread([this] {
    while (!FStop) {
      pollfd Poll{FSocket, POLLIN, 0};
      if (::poll(&Poll, 1, 20) <= 0)
        continue;
      const int Client = ::accept(FSocket, nullptr, nullptr);
      if (Client < 0)
        continue;
      {
        std::lock_guard Guard(FLock);
        FAccepted.push_back(std::chrono::steady_clock::now());
      }
      ::close(Client);
    }
  });
}

DroppingServer::~DroppingServer() {
  FStop = true;
  FThread.join();
  ::close(FSocket);
}

std::vector<std::chrono::steady_clock::time_point> DroppingServer::Accepted() {
  std::lock_guard Guard(FLock);
  return FAccepted;
}

ClosedPort::ClosedPort() {
  FSocket = BindLoopback(FPort);
}
ClosedPort::~ClosedPort() {
  ::close(FSocket);
}

FullBacklogPort::FullBacklogPort() {
  FSocket = BindLoopback(FPort);
  ::listen(FSocket, 0);
  sockaddr_in Address{};
  Address.sin_family = AF_INET;
  Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  Address.sin_port = htons(static_cast<uint16_t>(FPort));
  // Connects until one no longer completes: from then on the queue is full.
  // Without SYN cookies the kernel may drop the very first one already.
  for (int I = 0; I < 4; ++I) {
    const int Filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    FFillers.push_back(Filler);
    ::connect(Filler, reinterpret_cast<sockaddr*>(&Address), sizeof(Address));
    pollfd Poll{Filler, POLLOUT, 0};
    if (::poll(&Poll, 1, 200) <= 0)
      break;
  }
}

FullBacklogPort::~FullBacklogPort() {
  for (const int Filler : FFillers)
    ::close(Filler);
  ::close(FSocket);
}

MisbehavingServer::MisbehavingServer(Kind AKind, std::chrono::milliseconds AInterval)
    : FKind(AKind), FInterval(AInterval) {
  FSocket = BindLoopback(FPort);
  ::listen(FSocket, 16);
  FThread = std::thread([this] {
    while (!FStop) {
      pollfd Poll{FSocket, POLLIN, 0};
      if (::poll(&Poll, 1, 20) <= 0)
        continue;
      const int Client = ::accept(FSocket, nullptr, nullptr);
      if (Client < 0)
        continue;
      ++FAccepted;
      std::lock_guard Guard(FLock);
      FConnections.emplace_back([this, Client] {
        Serve(Client);
        ::close(Client);
      });
    }
  });
}

MisbehavingServer::~MisbehavingServer() {
  FStop = true;
  FThread.join();
  for (std::thread& Connection : FConnections)
    Connection.join();
  ::close(FSocket);
}

void MisbehavingServer::Serve(int AClient) {
  if (FKind == Kind::Silent) {
    while (!FStop)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return;
  }
  const std::string Headers = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                              "Connection: close\r\n\r\n";
  if (::send(AClient, Headers.data(), Headers.size(), MSG_NOSIGNAL) < 0)
    return;
  const std::string Block(FKind == Kind::Trickling ? 1 : 64 * 1024, 'x');
  while (!FStop) {
    // Waits until the client can take more: a client that stopped reading
    // leaves this thread waiting, not spinning.
    pollfd Poll{AClient, POLLOUT, 0};
    if (::poll(&Poll, 1, 20) <= 0)
      continue;
    const ssize_t Sent = ::send(AClient, Block.data(), Block.size(), MSG_NOSIGNAL);
    if (Sent <= 0)
      return; // the client went
    FBodyBytes += Sent;
    if (FKind == Kind::Trickling)
      std::this_thread::sleep_for(FInterval);
  }
}

} // namespace tilvane::test
