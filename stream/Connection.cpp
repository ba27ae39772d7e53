// The TCP/IP host connection: connect, the rexec/autostart login, listen,
// and the sends and receives with their time limits.
#include "stream/Connection.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace dv {
namespace {

void silentProgress(const char*) {}

Connection::ProgressHook progressHook = &silentProgress;
int firstAnswerSeconds = TcpConnection::kFirstAnswerSeconds;
int restAnswerSeconds = TcpConnection::kRestAnswerSeconds;

// Copies n bytes of text into out at *at, cut to the room left before end.
void put(char* out, int* at, int end, const char* text, int n) {
  int room = end - *at;
  if (n > room) n = room;
  if (n > 0) std::memcpy(out + *at, text, static_cast<std::size_t>(n));
  *at += n > 0 ? n : 0;
}

void putText(char* out, int* at, int end, const char* text) {
  if (text == nullptr) return;
  put(out, at, end, text, static_cast<int>(std::strlen(text)));
}

void putNul(char* out, int* at, int end) {
  put(out, at, end, "", 1);
}

bool sameNoCase(const char* a, const char* b) {
  if (a == nullptr) return false;
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    char x = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 'a' + 'A') : *a;
    if (x != *b) return false;
  }
  return *a == *b;
}

}  // namespace

Connection::ProgressHook Connection::setProgressHook(ProgressHook hook) {
  ProgressHook old = progressHook;
  progressHook = hook != nullptr ? hook : &silentProgress;
  return old == &silentProgress ? nullptr : old;
}

void Connection::progress(const char* text) {
  progressHook(text);
}

Connection::~Connection() = default;

void Connection::clearErrors() {
  errorKind_ = kNoError;
  errorNumber_ = 0;
}

void Connection::setError(int32_t kind, int32_t number) {
  errorKind_ = kind;
  errorNumber_ = number;
}

void Connection::appendMessage(const char* text) {
  std::size_t have = std::strlen(message_);
  std::size_t room = sizeof message_ - 1 - have;
  std::size_t n = std::strlen(text);
  if (n > room) n = room;
  std::memcpy(message_ + have, text, n);
  message_[have + n] = '\0';
}

bool Connection::listenOn(const char* port) {
  char* end = nullptr;
  long n = port != nullptr ? std::strtol(port, &end, 10) : 0;
  if (port == nullptr || end == port || *end != '\0' || n < 0 || n > 65535) {
    clearErrors();
    setError(kSocketError, 0);
    return false;
  }
  return listenOn(static_cast<int>(n));
}

int Connection::sendAll(const void* buf, int len, int flags) {
  const char* p = static_cast<const char*>(buf);
  int done = 0;
  while (done < len) {
    int n = send(p + done, len - done, flags);
    if (n < 0) return -1;
    if (n == 0) {
      // The socket would block: wait for room rather than spin.
      if (platform::waitWritable(socket_, -1) < 0) {
        setError(kSocketError, platform::lastSocketError());
        close();
        return -1;
      }
      continue;
    }
    done += n;
  }
  return len;
}

int Connection::receiveWithin(void* buf, int len, int seconds) {
  using Clock = std::chrono::steady_clock;
  Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds >= 1 ? seconds : 0);
  for (;;) {
    int n = receive(buf, len);
    if (n != 0) return n;
    int waitMs = -1;
    if (seconds >= 1) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) {
        setError(kTimeLimit, 0);
        return 0;
      }
      waitMs = static_cast<int>(left);
    }
    if (platform::waitReadable(socket_, waitMs) < 0) {
      setError(kSocketError, platform::lastSocketError());
      close();
      return -1;
    }
  }
}

void TcpConnection::setAnswerLimits(int firstSeconds, int restSeconds) {
  firstAnswerSeconds = firstSeconds;
  restAnswerSeconds = restSeconds;
}

TcpConnection::TcpConnection() = default;

TcpConnection::TcpConnection(const char* transport, const char* hostType, const char* host,
                             int port, const char* user, const char* password, const char* command,
                             const char* arguments) {
  connectAndLogin(transport, hostType, host, port, user, password, command, arguments);
  wasOpen_ = isOpen_;
}

TcpConnection::~TcpConnection() {
  close();
}

bool TcpConnection::fail(int32_t kind, int32_t number) {
  setError(kind, number);
  close();
  return false;
}

bool TcpConnection::connect(const char* host, int port) {
  clearErrors();
  if (isOpen_) close();
  if (port < 0) port = -port;
  progress("\nLooking up the TCP/IP hostname.\n");
  uint8_t address[4];
  int resolveError = 0;
  if (!platform::resolveIPv4(host, address, &resolveError)) {
    setError(kHostNotFound, resolveError);
    return false;
  }
  progress("Setting up the TCP/IP socket.\n");
  socket_ = platform::openStreamSocket();
  if (socket_ == platform::kInvalidSocket) return fail(kSocketError, platform::lastSocketError());
  isOpen_ = true;
  progress(port == kTelnetPort ? "Trying to connect to the host's TELNET server...\n"
                               : "Trying to connect to the servers's TCP/IP rexec/autostart "
                                 "daemon....\n");
  char line[64];
  std::snprintf(line, sizeof line, "Host address: %u.%u.%u.%u Port: %u\n", address[0], address[1],
                address[2], address[3], static_cast<unsigned>(port));
  progress(line);
  if (!platform::connectIPv4(socket_, address, static_cast<uint16_t>(port))) {
    return fail(kSocketError, platform::lastSocketError());
  }
  progress("Adjusting the TCP/IP parameters.\n\n");
  if (!platform::setNonBlocking(socket_)) return fail(kSocketError, platform::lastSocketError());
  progress("Connected.\n");
  return true;
}

int TcpConnection::buildLoginMessage(char* out, const char* hostType, const char* user,
                                     const char* password, const char* command,
                                     const char* arguments) {
  // Each text is cut so that the NULs after it still fit.
  int at = 0;
  constexpr int end = kLoginMessageSize;
  putText(out, &at, end, "0");
  putNul(out, &at, end);
  putText(out, &at, end - 2, user);
  putNul(out, &at, end);
  putText(out, &at, end - 1, password);
  putNul(out, &at, end);
  if (!sameNoCase(hostType, "PRIMOS") && !sameNoCase(hostType, "WINDOWS NT")) {
    putText(out, &at, end - 1, "exec ");
  }
  putText(out, &at, end - 1, command);
  if (arguments != nullptr && arguments[0] != '\0') {
    putText(out, &at, end - 1, " ");
    putText(out, &at, end - 1, arguments);
  }
  putNul(out, &at, end);
  return at;
}

bool TcpConnection::connectAndLogin(const char* transport, const char* hostType, const char* host,
                                    int port, const char* user, const char* password,
                                    const char* command, const char* arguments) {
  message_[0] = '\0';
  if (transport == nullptr || std::strcmp(transport, "TCP") != 0) {
    clearErrors();
    setError(kTransportNotSupported, 0);
    return false;
  }
  if (!connect(host, port)) return false;
  return login(hostType, user, password, command, arguments);
}

bool TcpConnection::login(const char* hostType, const char* user, const char* password,
                          const char* command, const char* arguments) {
  char out[kLoginMessageSize];
  int n = buildLoginMessage(out, hostType, user, password, command, arguments);
  progress("Sending login information.\n");
  if (sendAll(out, n, 0) != n) {
    appendMessage(kTcpIpError);
    close();
    return false;
  }
  progress("Waiting for reply.\n");
  char first = 0;
  int got = receiveWithin(&first, 1, firstAnswerSeconds);
  if (got == 1) {
    if (first == 0) {
      progress("Server process logged in.\n");
      return true;
    }
    char text[kLoginMessageSize] = {};
    int rest = receiveWithin(text, kLoginMessageSize - 1, restAnswerSeconds);
    if (rest > 0) {
      text[rest] = '\0';
      setError(kDaemonRefused, 0);
      appendMessage(text);
    } else {
      appendMessage(kBadResponse);
    }
    close();
    return false;
  }
  if (errorKind_ == kTimeLimit) {
    errorKind_ = kDaemonRefused;
    appendMessage(kNoResponse);
  } else {
    appendMessage(kTcpIpError);
  }
  close();
  return false;
}

bool TcpConnection::listenOn(int port) {
  clearErrors();
  if (isOpen_) close();
  if (port < 0) port = -port;
  platform::SocketHandle listener = platform::openStreamSocket();
  if (listener == platform::kInvalidSocket) {
    return fail(kSocketError, platform::lastSocketError());
  }
  platform::SocketHandle accepted = platform::kInvalidSocket;
  if (platform::bindAndListen(listener, static_cast<uint16_t>(port), kListenBacklog)) {
    accepted = platform::acceptOne(listener);
  }
  int acceptError = platform::lastSocketError();
  platform::closeSocket(listener);
  if (accepted == platform::kInvalidSocket) return fail(kSocketError, acceptError);
  socket_ = accepted;
  isOpen_ = true;
  if (!platform::setNonBlocking(socket_)) return fail(kSocketError, platform::lastSocketError());
  return true;
}

int TcpConnection::send(const void* buf, int len, int flags) {
  clearErrors();
  if (!isOpen_) {
    setError(kNotOpen, 0);
    return -1;
  }
  int n = platform::sendSocket(socket_, buf, len, flags);
  if (n >= 0) return n;
  int e = platform::lastSocketError();
  if (e == platform::kWouldBlock) return 0;
  fail(kSocketError, e);
  return -1;
}

int TcpConnection::receive(void* buf, int len) {
  clearErrors();
  if (!isOpen_) {
    setError(kNotOpen, 0);
    return -1;
  }
  int n = platform::receiveSocket(socket_, buf, len);
  if (n > 0) return n;
  if (n == 0) {
    if (len == 0) return 0;
    fail(kClosedByPeer, 0);
    return -1;
  }
  int e = platform::lastSocketError();
  if (e == platform::kWouldBlock) return 0;
  fail(kSocketError, e);
  return -1;
}

void TcpConnection::close() {
  if (isOpen_) {
    platform::closeSocket(socket_);
    isOpen_ = false;
  }
  socket_ = platform::kInvalidSocket;
}

}  // namespace dv
