// The socket stand-in over POSIX sockets.
#include "platform/Sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dv {
namespace platform {
namespace {

thread_local int lastError = 0;

int fail() {
  int e = errno;
  lastError = (e == EAGAIN || e == EWOULDBLOCK || e == EINPROGRESS) ? kWouldBlock : e;
  return -1;
}

int waitFor(SocketHandle s, short events, int timeoutMs) {
  pollfd p{};
  p.fd = s;
  p.events = events;
  for (;;) {
    int r = ::poll(&p, 1, timeoutMs);
    if (r >= 0) return r > 0 ? 1 : 0;
    if (errno != EINTR) return fail();
  }
}

}  // namespace

int lastSocketError() {
  return lastError;
}

uint32_t currentProcessId() {
  return static_cast<uint32_t>(::getpid());
}

bool resolveIPv4(const char* host, uint8_t address[4], int* error) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int r = ::getaddrinfo(host != nullptr ? host : "", nullptr, &hints, &found);
  if (r != 0 || found == nullptr) {
    *error = r != 0 ? r : EAI_NONAME;
    lastError = *error;
    return false;
  }
  const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  std::memcpy(address, &in->sin_addr.s_addr, 4);
  ::freeaddrinfo(found);
  return true;
}

SocketHandle openStreamSocket() {
  int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) return fail();
  return s;
}

bool connectIPv4(SocketHandle s, const uint8_t address[4], uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  std::memcpy(&to.sin_addr.s_addr, address, 4);
  for (;;) {
    if (::connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return true;
    if (errno != EINTR) return fail() == 0;
  }
}

bool setNonBlocking(SocketHandle s) {
  int flags = ::fcntl(s, F_GETFL, 0);
  if (flags < 0 || ::fcntl(s, F_SETFL, flags | O_NONBLOCK) < 0) return fail() == 0;
  return true;
}

bool bindAndListen(SocketHandle s, uint16_t port, int backlog) {
  int one = 1;
  ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(port);
  at.sin_addr.s_addr = htonl(INADDR_ANY);
  if (::bind(s, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) return fail() == 0;
  if (::listen(s, backlog) != 0) return fail() == 0;
  return true;
}

SocketHandle acceptOne(SocketHandle s) {
  for (;;) {
    int c = ::accept4(s, nullptr, nullptr, SOCK_CLOEXEC);
    if (c >= 0) return c;
    if (errno != EINTR) return fail();
  }
}

int closeSocket(SocketHandle s) {
  return ::close(s) == 0 ? 0 : fail();
}

int sendSocket(SocketHandle s, const void* buf, int len, int flags) {
  for (;;) {
    ssize_t n = ::send(s, buf, static_cast<size_t>(len), flags | MSG_NOSIGNAL);
    if (n >= 0) return static_cast<int>(n);
    if (errno != EINTR) return fail();
  }
}

int receiveSocket(SocketHandle s, void* buf, int len) {
  for (;;) {
    ssize_t n = ::recv(s, buf, static_cast<size_t>(len), 0);
    if (n >= 0) return static_cast<int>(n);
    if (errno != EINTR) return fail();
  }
}

int waitReadable(SocketHandle s, int timeoutMs) {
  return waitFor(s, POLLIN, timeoutMs);
}

int waitWritable(SocketHandle s, int timeoutMs) {
  return waitFor(s, POLLOUT, timeoutMs);
}

}  // namespace platform
}  // namespace dv
