// Tests of the TCP/IP host connection over loopback: the login message, a
// fake rexec/autostart daemon that logs in, refuses or keeps silent, the
// handle table, and value-stream messages through a connection, cut short
// or replaced by garbage. Every server here is a thread that serves one
// connection and stops by itself; every wait is bounded.
#include "stream/Connection.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "datum/Text.h"
#include "stream/ConnectionHandles.h"
#include "stream/TableStream.h"
#include "table/Table.h"

namespace dv {
namespace {

// A listener on 127.0.0.1 at an ephemeral port that serves one connection
// with serve(fd) in a thread, then closes it.
class OneShotServer {
 public:
  explicit OneShotServer(std::function<void(int)> serve) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(0, ::bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at));
    EXPECT_EQ(0, ::listen(listener_, 16));
    socklen_t len = sizeof at;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &len);
    port_ = ntohs(at.sin_port);
    thread_ = std::thread([this, serve] {
      pollfd p{listener_, POLLIN, 0};
      if (::poll(&p, 1, 5000) != 1) return;  // nobody came: stop
      int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) return;
      serve(fd);
      ::close(fd);
    });
  }
  ~OneShotServer() {
    thread_.join();
    ::close(listener_);
  }
  int port() const { return port_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

// Reads exactly n bytes within a few seconds (fewer when the peer stops).
std::string readSome(int fd, size_t n) {
  std::string got;
  char buf[600];
  while (got.size() < n) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 3000) != 1) break;
    ssize_t r = ::read(fd, buf, std::min(sizeof buf, n - got.size()));
    if (r <= 0) break;
    got.append(buf, static_cast<size_t>(r));
  }
  return got;
}

// Waits until the peer closes (or a few seconds pass).
void waitForClose(int fd) {
  readSome(fd, 1 << 20);
}

std::string loginBytes(const char* hostType, const char* user, const char* command,
                       const char* arguments) {
  char out[TcpConnection::kLoginMessageSize];
  int n = TcpConnection::buildLoginMessage(out, hostType, user, "pw", command, arguments);
  return std::string(out, static_cast<size_t>(n));
}

TEST(TcpLoginTest, TheMessageSpellsUserPasswordAndCommandWithinItsBound) {
  EXPECT_EQ(std::string("0\0al\0pw\0exec srv -x\0", 20), loginBytes("UNIX", "al", "srv", "-x"));
  EXPECT_EQ(std::string("0\0al\0pw\0srv\0", 12), loginBytes("windows nt", "al", "srv", ""));
  EXPECT_EQ(std::string("0\0al\0pw\0srv\0", 12), loginBytes("Primos", "al", "srv", nullptr));
  std::string longUser(600, 'u');
  std::string m = loginBytes("UNIX", longUser.c_str(), "srv", "");
  EXPECT_EQ(512u, m.size());
  EXPECT_EQ(std::string(2, '\0'), m.substr(510));  // the user cut, the NULs kept... and the rest
}

struct LoginCase {
  const char* answer;  // bytes the daemon sends; null: silence
  size_t answerSize;
  bool loggedIn;
  int32_t kind;
  const char* message;
};

void runLogin(const LoginCase& c) {
  std::string expected = loginBytes("UNIX", "al", "srv", "-x");
  OneShotServer daemon([&](int fd) {
    EXPECT_EQ(expected, readSome(fd, expected.size()));
    if (c.answer != nullptr) {
      EXPECT_EQ(static_cast<ssize_t>(c.answerSize), ::write(fd, c.answer, c.answerSize));
    }
    waitForClose(fd);
  });
  TcpConnection::setAnswerLimits(1, 1);
  TcpConnection conn("TCP", "UNIX", "127.0.0.1", daemon.port(), "al", "pw", "srv", "-x");
  TcpConnection::setAnswerLimits(TcpConnection::kFirstAnswerSeconds,
                                 TcpConnection::kRestAnswerSeconds);
  EXPECT_EQ(c.loggedIn, conn.isOpen());
  EXPECT_EQ(c.loggedIn, conn.wasOpen());
  EXPECT_EQ(c.kind, conn.errorKind());
  EXPECT_STREQ(c.message, conn.message());
  conn.close();
}

TEST(TcpLoginTest, ADaemonThatAnswersZeroLogsIn) {
  runLogin({"\0", 1, true, Connection::kNoError, ""});
}

TEST(TcpLoginTest, ARefusalLeavesKindElevenAndTheDaemonsText) {
  runLogin({"\1Login incorrect.\n", 18, false, Connection::kDaemonRefused, "Login incorrect.\n"});
}

TEST(TcpLoginTest, SilenceGivesKindElevenWithTheNoResponseMessage) {
  runLogin({nullptr, 0, false, Connection::kDaemonRefused, TcpConnection::kNoResponse});
}

TEST(TcpLoginTest, OnlyTcpIsATransportAndAnUnknownHostIsKindEight) {
  TcpConnection other("DECNET", "UNIX", "127.0.0.1", 1, "u", "p", "c", "");
  EXPECT_EQ(Connection::kTransportNotSupported, other.errorKind());
  TcpConnection c;
  EXPECT_FALSE(c.connect("no-such-host.invalid", 23));
  EXPECT_EQ(Connection::kHostNotFound, c.errorKind());
  EXPECT_NE(0, c.errorNumber());
}

std::vector<std::string> progressSeen;
void recordProgress(const char* text) {
  progressSeen.push_back(text);
}

TEST(TcpConnectTest, ANegativePortIsItsAbsoluteValueAndProgressIsReported) {
  OneShotServer server([](int fd) { waitForClose(fd); });
  progressSeen.clear();
  Connection::setProgressHook(&recordProgress);
  TcpConnection c;
  EXPECT_TRUE(c.connect("127.0.0.1", -server.port()));
  Connection::setProgressHook(nullptr);
  ASSERT_EQ(6u, progressSeen.size());
  EXPECT_EQ("Host address: 127.0.0.1 Port: " + std::to_string(server.port()) + "\n",
            progressSeen[3]);
  EXPECT_EQ("Connected.\n", progressSeen[5]);
  // Nothing to read yet: 0 at once, then the limit, waited for in poll
  // rather than by trying again and again.
  char b = 0;
  EXPECT_EQ(0, c.receive(&b, 1));
  std::clock_t cpu = std::clock();
  EXPECT_EQ(0, c.receiveWithin(&b, 1, 1));
  EXPECT_LT(static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC, 0.5);
  EXPECT_EQ(Connection::kTimeLimit, c.errorKind());
  c.close();
}

TEST(TcpConnectTest, SendAllAnswersMinusOneWhenBytesAreLost) {
  OneShotServer server([](int) {});  // accepts and closes at once
  TcpConnection c;
  ASSERT_TRUE(c.connect("127.0.0.1", server.port()));
  std::vector<char> block(1 << 16, 'z');
  int n = 0;
  for (int i = 0; i < 200 && n >= 0; ++i) {
    n = c.sendAll(block.data(), static_cast<int>(block.size()), 0);
    if (n >= 0) {
      EXPECT_EQ(static_cast<int>(block.size()), n);
      usleep(1000);
    }
  }
  EXPECT_EQ(-1, n);
  EXPECT_EQ(Connection::kSocketError, c.errorKind());
  EXPECT_NE(0, c.errorNumber());
  EXPECT_FALSE(c.isOpen());
}

TEST(ConnectionHandlesTest, DynamicHandlesRunOutAfterTenAndOwnNumbersMustBeFree) {
  std::thread acceptor;
  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(0, ::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at));
  ASSERT_EQ(0, ::listen(listener, 32));
  socklen_t len = sizeof at;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &len);
  int port = ntohs(at.sin_port);
  auto open = [&](int32_t asked) {
    TcpConnection* c = new TcpConnection();
    EXPECT_TRUE(c->connect("127.0.0.1", port));
    c->setRequestedHandle(asked);
    int h = registerConnection(c);
    if (h < 0) delete c;
    return h;
  };
  std::vector<int> handles;
  for (int i = 0; i < 10; ++i) handles.push_back(open(Connection::kAnyHandle));
  EXPECT_EQ(118, handles.front());
  EXPECT_EQ(127, handles.back());
  EXPECT_EQ(-1, open(Connection::kAnyHandle));  // the eleventh dynamic one
  EXPECT_EQ(5, open(5));
  EXPECT_EQ(-1, open(5));    // taken
  EXPECT_EQ(-1, open(118));  // not an own number
  EXPECT_EQ(-1, registerConnection(nullptr));
  int32_t kind = 0;
  int32_t number = 0;
  EXPECT_EQ(-1, sendHandle(60, "x", 1, &kind, &number));
  EXPECT_EQ(Connection::kNoConnection, kind);
  EXPECT_EQ(0, closeHandle(120, &kind, &number));
  EXPECT_EQ(120, open(Connection::kAnyHandle));  // the freed entry again
  closeProcessHandles();
  EXPECT_EQ(nullptr, connectionOf(5));
  ::close(listener);
}

TEST(ConnectionStreamTest, TablesTravelBothWaysThroughAHandle) {
  Table* t = new Table(2, 2);
  ASSERT_EQ(successStatus(), t->setCell(0, 0, "over the wire"));
  OneShotServer echo([](int fd) {
    TableStream in(fd, -1);
    Object* ob = nullptr;
    ASSERT_TRUE(in.readMessage(ob));
    TableStream out(fd, -1);
    EXPECT_TRUE(out.writeMessage(*ob));
    ob->release();
    waitForClose(fd);
  });
  int32_t kind = 0;
  int32_t number = 0;
  int h = openHost(0, "TCP", "UNIX", "127.0.0.1", echo.port(), "", "", "", "", "", &kind, &number,
                   nullptr, 0);
  ASSERT_GE(h, 0);
  {
    TableStream out(-1, h);
    ASSERT_TRUE(out.writeMessage(*t));
  }
  TableStream in(-1, h);
  in.setReceiveLimit(5);
  Object* back = nullptr;
  ASSERT_TRUE(in.readMessage(back)) << in.status()->messageText();
  EXPECT_TRUE(t->isEqual(*back));
  back->release();
  t->release();
  EXPECT_EQ(0, closeHandle(h, &kind, &number));
}

// The client side of a server that sends bytes and closes: what reading a
// message through a handle reports.
void expectReadFails(const std::string& sent, uint32_t code) {
  OneShotServer server([&](int fd) {
    EXPECT_EQ(static_cast<ssize_t>(sent.size()), ::write(fd, sent.data(), sent.size()));
  });
  int32_t kind = 0;
  int32_t number = 0;
  int h = openHost(0, "TCP", "", "127.0.0.1", server.port(), "", "", "", "", "", &kind, &number,
                   nullptr, 0);
  ASSERT_GE(h, 0);
  {
    TableStream in(-1, h);
    in.setReceiveLimit(5);
    Object* ob = nullptr;
    EXPECT_FALSE(in.readMessage(ob));
    EXPECT_EQ(nullptr, ob);
    EXPECT_EQ(code, in.status()->code());
  }
  // Whatever is left of the bytes, then the close: kind 1 once, 19 after.
  char b = 0;
  int r = 0;
  for (int i = 0; i < 64 && r >= 0; ++i) r = receiveHandle(h, &b, 1, 2, &kind, &number);
  EXPECT_EQ(-1, r);
  EXPECT_EQ(code == kXioClosedRemotely ? Connection::kNotOpen : Connection::kClosedByPeer, kind);
  EXPECT_EQ(-1, receiveNow(h, &b, 1, &kind, &number));
  EXPECT_EQ(Connection::kNotOpen, kind);
  closeHandle(h, nullptr, nullptr);
}

TEST(ConnectionStreamTest, APeerThatClosesMidMessageIsClosedRemotely) {
  Table t(1, 1);
  TableStream s(nullptr, 0);
  ASSERT_TRUE(s.writeMessage(t));
  expectReadFails(std::string(reinterpret_cast<const char*>(s.written()), s.writtenSize() - 3),
                  kXioClosedRemotely);
}

TEST(ConnectionStreamTest, GarbageFromThePeerCannotBeInterpreted) {
  expectReadFails("HTTP/1.0 200 OK\r\n", kXioCannotInterpret);
}

}  // namespace
}  // namespace dv
