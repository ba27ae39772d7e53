// The byte transport between the value library and a database server on a
// host: Connection is the base of the transport family, TcpConnection its one
// concrete member, a TCP/IP stream connection opened by connecting to a host
// (its TELNET server on port 23, or its rexec/autostart daemon, which starts a
// server process after a login) or by listening on a port for the server to
// connect back.
//
// Failures never throw: they are reported through errorKind(),
// errorNumber() and message(), and any failure after the socket exists
// closes it. The error fields are cleared at the start of each connect, send
// and receive. An open socket is non-blocking; the waits are done with poll.
#ifndef DV_STREAM_CONNECTION_H_
#define DV_STREAM_CONNECTION_H_

#include <cstdint>

#include "platform/Sockets.h"

namespace dv {

class Connection {
 public:
  // Error kinds.
  static constexpr int32_t kNoError = 0;
  static constexpr int32_t kClosedByPeer = 1;
  static constexpr int32_t kSocketError = 2;
  static constexpr int32_t kHostNotFound = 8;
  static constexpr int32_t kTimeLimit = 9;
  static constexpr int32_t kDaemonRefused = 11;  // the daemon's text is in message()
  static constexpr int32_t kNoConnection = 17;
  static constexpr int32_t kNotOpen = 19;
  static constexpr int32_t kTransportNotSupported = 20;
  // Room of the message text, with its NUL.
  static constexpr int kMessageSize = 128;
  // A connection without a number of its own takes a dynamic handle.
  static constexpr int32_t kAnyHandle = -1;

  // Receives the progress texts of connect, login and listen. The default
  // hook writes nothing.
  using ProgressHook = void (*)(const char* text);
  // Installs hook (null: the silent default) and answers the one before.
  static ProgressHook setProgressHook(ProgressHook hook);
  static void progress(const char* text);

  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  virtual ~Connection();

  // Connects to host at |port|; true on success.
  virtual bool connect(const char* host, int port) = 0;
  // Waits for one incoming connection on port and keeps it.
  virtual bool listenOn(int port) = 0;
  // The port as decimal text; text that is no number fails with kind 2.
  bool listenOn(const char* port);
  // Bytes written; 0 when the socket would block; -1 on error.
  virtual int send(const void* buf, int len, int flags) = 0;
  // Bytes read; 0 when nothing is there yet; -1 on error or when the peer
  // has closed (kind 1).
  virtual int receive(void* buf, int len) = 0;
  // Sends until all len bytes are written (waiting for room when the socket
  // would block) and answers len; -1, with the error fields set, when a send
  // failed, so that lost bytes are never reported as sent.
  int sendAll(const void* buf, int len, int flags);
  // Receives until a call answers a non-zero count, waiting with poll for
  // the time left. With seconds >= 1, when the limit passes first: kind 9 and
  // the answer 0. With seconds < 1 it waits without limit. -1 on error.
  int receiveWithin(void* buf, int len, int seconds);
  // Closes the socket when it is open.
  virtual void close() = 0;

  int32_t errorKind() const { return errorKind_; }
  int32_t errorNumber() const { return errorNumber_; }
  const char* message() const { return message_; }
  platform::SocketHandle socket() const { return socket_; }
  bool isOpen() const { return isOpen_; }
  bool wasOpen() const { return wasOpen_; }
  // The handle number the connection asks for (0 to 117), or kAnyHandle.
  int32_t requestedHandle() const { return requestedHandle_; }
  void setRequestedHandle(int32_t number) { requestedHandle_ = number; }

 protected:
  Connection() = default;
  void clearErrors();
  void setError(int32_t kind, int32_t number);
  // Appends text to the message, cut to its room.
  void appendMessage(const char* text);

  int32_t errorKind_ = kNoError;
  int32_t errorNumber_ = 0;
  char message_[kMessageSize] = {};
  bool isOpen_ = false;
  bool wasOpen_ = false;
  platform::SocketHandle socket_ = platform::kInvalidSocket;
  int32_t requestedHandle_ = kAnyHandle;
};

// The TCP/IP stream connection to a host, opened by connecting or by listening on a port.
class TcpConnection : public Connection {
 public:
  static constexpr int kTelnetPort = 23;
  static constexpr int kLoginMessageSize = 512;
  static constexpr int kListenBacklog = 5;
  // How long the login waits for the daemon's first byte and for the rest
  // of a refusal.
  static constexpr int kFirstAnswerSeconds = 120;
  static constexpr int kRestAnswerSeconds = 30;
  static constexpr const char* kTcpIpError = "TCP/IP error";
  static constexpr const char* kNoResponse =
      "No response from rexec/autostart daemon after 120 seconds.";
  static constexpr const char* kBadResponse = "Error reading response from rexec/autostart daemon.";

  // Sets the two answer limits of the login (seconds; tests shorten them)
  // and answers nothing; the messages keep their texts.
  static void setAnswerLimits(int firstSeconds, int restSeconds);

  // Not connected.
  TcpConnection();
  // Connects to host and logs in through its rexec/autostart daemon:
  // transport must be "TCP" (otherwise kind 20). hostType "PRIMOS" or
  // "WINDOWS NT" (any case) sends the command without "exec ". The unused
  // arguments of the original interface are left out.
  TcpConnection(const char* transport, const char* hostType, const char* host, int port,
                const char* user, const char* password, const char* command, const char* arguments);
  // Closes the socket.
  ~TcpConnection() override;

  bool connect(const char* host, int port) override;
  // Connects, then sends the login message and waits for the answer; true
  // when the daemon answered 0 (logged in).
  bool connectAndLogin(const char* transport, const char* hostType, const char* host, int port,
                       const char* user, const char* password, const char* command,
                       const char* arguments);
  using Connection::listenOn;
  bool listenOn(int port) override;
  int send(const void* buf, int len, int flags) override;
  int receive(void* buf, int len) override;
  void close() override;

  // Builds the login message into out (kLoginMessageSize bytes): "0" NUL,
  // user NUL, password NUL, "exec " unless the host type says otherwise,
  // the command, a blank and the arguments when there are any, NUL; each
  // text cut to the room left. Answers its length.
  static int buildLoginMessage(char* out, const char* hostType, const char* user,
                               const char* password, const char* command, const char* arguments);

 private:
  bool fail(int32_t kind, int32_t number);
  bool login(const char* hostType, const char* user, const char* password, const char* command,
             const char* arguments);
};

}  // namespace dv

#endif  // DV_STREAM_CONNECTION_H_
