// The connection handle table and the functions over it.
#include "stream/ConnectionHandles.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace dv {
namespace {

struct Entry {
  int32_t asked = Connection::kAnyHandle;
  Connection* connection = nullptr;
  platform::SocketHandle socket = platform::kInvalidSocket;
  uint32_t owner = 0;
};

Entry table[kHandleCount];

void report(int32_t* kindOut, int32_t* numberOut, int32_t kind, int32_t number) {
  if (kindOut != nullptr) *kindOut = kind;
  if (numberOut != nullptr) *numberOut = number;
}

void reportOf(const Connection& c, int32_t* kindOut, int32_t* numberOut) {
  report(kindOut, numberOut, c.errorKind(), c.errorNumber());
}

// The handle's connection for a call; null after reporting kind 17 or 19.
Connection* usable(int handle, int32_t* kindOut, int32_t* numberOut) {
  Connection* c = connectionOf(handle);
  if (c == nullptr) {
    report(kindOut, numberOut, Connection::kNoConnection, 0);
    return nullptr;
  }
  if (!c->isOpen()) {
    report(kindOut, numberOut, Connection::kNotOpen, 0);
    return nullptr;
  }
  return c;
}

void debugProgress(const char* text) {
  std::fputs(text, stderr);
}

// Registers c or deletes it; answers the handle or -1 with the kinds set.
int adopt(Connection* c, int32_t* kindOut, int32_t* numberOut) {
  reportOf(*c, kindOut, numberOut);
  int handle = registerConnection(c);
  if (handle < 0) delete c;
  return handle;
}

}  // namespace

int registerConnection(Connection* connection) {
  if (connection == nullptr || !connection->isOpen()) return -1;
  int asked = connection->requestedHandle();
  int handle = -1;
  if (asked == Connection::kAnyHandle) {
    for (int i = kFirstDynamicHandle; i < kHandleCount && handle < 0; ++i) {
      if (table[i].connection == nullptr) handle = i;
    }
  } else if (asked >= 0 && asked < kFirstDynamicHandle && table[asked].connection == nullptr) {
    handle = asked;
  }
  if (handle < 0) return -1;
  Entry& e = table[handle];
  e.asked = asked;
  e.connection = connection;
  e.socket = connection->socket();
  e.owner = platform::currentProcessId();
  return handle;
}

Connection* connectionOf(int handle) {
  if (handle < 0 || handle >= kHandleCount) return nullptr;
  const Entry& e = table[handle];
  if (e.connection == nullptr || e.owner != platform::currentProcessId()) return nullptr;
  return e.connection;
}

int openListening(int asked, int port, int32_t* kindOut, int32_t* numberOut) {
  TcpConnection* c = new (std::nothrow) TcpConnection();
  if (c == nullptr) {
    report(kindOut, numberOut, Connection::kNoConnection, 0);
    return -1;
  }
  c->setRequestedHandle(asked);
  c->listenOn(port);
  return adopt(c, kindOut, numberOut);
}

int openListening(int asked, const char* port, int32_t* kindOut, int32_t* numberOut) {
  TcpConnection* c = new (std::nothrow) TcpConnection();
  if (c == nullptr) {
    report(kindOut, numberOut, Connection::kNoConnection, 0);
    return -1;
  }
  c->setRequestedHandle(asked);
  c->listenOn(port);
  return adopt(c, kindOut, numberOut);
}

int openHost(int kind, const char* transport, const char* hostType, const char* host, int port,
             const char* user, const char* password, const char* command, const char* arguments,
             const char* options, int32_t* kindOut, int32_t* numberOut, char* messageOut,
             int messageSize) {
  if (messageOut != nullptr && messageSize > 0) messageOut[0] = '\0';
  if (kind != 0 && kind != 1) {
    report(kindOut, numberOut, Connection::kTransportNotSupported, 0);
    return -1;
  }
  bool debugging =
      options != nullptr && (std::strcmp(options, "-d") == 0 || std::strcmp(options, "-D") == 0);
  Connection::ProgressHook before = nullptr;
  if (debugging) before = Connection::setProgressHook(&debugProgress);
  TcpConnection* c = new (std::nothrow) TcpConnection();
  if (c != nullptr) {
    if (kind == 1) {
      c->connectAndLogin(transport, hostType, host, port, user, password, command, arguments);
    } else {
      c->connect(host, port);
    }
  }
  if (debugging) Connection::setProgressHook(before);
  if (c == nullptr) {
    report(kindOut, numberOut, Connection::kNoConnection, 0);
    return -1;
  }
  if (messageOut != nullptr && messageSize > 0) {
    std::snprintf(messageOut, static_cast<std::size_t>(messageSize), "%s", c->message());
  }
  return adopt(c, kindOut, numberOut);
}

int sendHandle(int handle, const void* buf, int len, int32_t* kindOut, int32_t* numberOut) {
  Connection* c = usable(handle, kindOut, numberOut);
  if (c == nullptr) return -1;
  int n = c->sendAll(buf, len, 0);
  reportOf(*c, kindOut, numberOut);
  return n;
}

int receiveHandle(int handle, void* buf, int len, int seconds, int32_t* kindOut,
                  int32_t* numberOut) {
  Connection* c = usable(handle, kindOut, numberOut);
  if (c == nullptr) return -1;
  int n = c->receiveWithin(buf, len, seconds);
  reportOf(*c, kindOut, numberOut);
  return n;
}

int receiveNow(int handle, void* buf, int len, int32_t* kindOut, int32_t* numberOut) {
  Connection* c = usable(handle, kindOut, numberOut);
  if (c == nullptr) return -1;
  int n = c->receive(buf, len);
  reportOf(*c, kindOut, numberOut);
  return n;
}

int closeHandle(int handle, int32_t* kindOut, int32_t* numberOut) {
  Connection* c = connectionOf(handle);
  if (c == nullptr) {
    report(kindOut, numberOut, Connection::kNoConnection, 0);
    return -1;
  }
  table[handle] = Entry();
  delete c;
  report(kindOut, numberOut, Connection::kNoError, 0);
  return 0;
}

void closeProcessHandles() {
  for (int i = 0; i < kHandleCount; ++i) {
    if (connectionOf(i) != nullptr) closeHandle(i, nullptr, nullptr);
  }
}

}  // namespace dv
