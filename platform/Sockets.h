// The socket interface the host connection is written against, over POSIX
// sockets: stream sockets of the Internet family, name look-up of IPv4
// addresses, and the last socket error as a number in which the condition
// "the call would block" reads as kWouldBlock (10035), whatever the system's
// own number is. The process id for the connection handle table comes from
// getpid. The embedding program starts nothing: POSIX sockets need no
// start-up call.
#ifndef DV_PLATFORM_SOCKETS_H_
#define DV_PLATFORM_SOCKETS_H_

#include <cstdint>

namespace dv {
namespace platform {

using SocketHandle = int;
inline constexpr SocketHandle kInvalidSocket = -1;
// The error number of a call that would block on a non-blocking socket.
inline constexpr int kWouldBlock = 10035;

// The error number of the last failed socket call of this thread: kWouldBlock
// for EAGAIN, EWOULDBLOCK and EINPROGRESS, otherwise the system's errno.
int lastSocketError();
// The id of the current process.
uint32_t currentProcessId();

// Looks up host and stores its first IPv4 address in address (network order
// bytes, most significant first). False with *error set (the resolver's
// code) when the name is unknown.
bool resolveIPv4(const char* host, uint8_t address[4], int* error);

// A new Internet stream socket, or kInvalidSocket.
SocketHandle openStreamSocket();
// Connects s (blocking) to address:port. False on failure.
bool connectIPv4(SocketHandle s, const uint8_t address[4], uint16_t port);
// Switches s to non-blocking mode.
bool setNonBlocking(SocketHandle s);
// Binds s to port on every local address (reusing the address) and listens
// with backlog.
bool bindAndListen(SocketHandle s, uint16_t port, int backlog);
// Waits for one incoming connection on s; kInvalidSocket on failure.
SocketHandle acceptOne(SocketHandle s);
// Closes s; 0 on success.
int closeSocket(SocketHandle s);
// One send (without raising SIGPIPE) and one receive: bytes moved, or -1
// with lastSocketError() telling why.
int sendSocket(SocketHandle s, const void* buf, int len, int flags);
int receiveSocket(SocketHandle s, void* buf, int len);
// Waits until s has something to read (or is closed) or timeoutMs passed
// (negative: no limit). 1 readable, 0 time out, -1 error.
int waitReadable(SocketHandle s, int timeoutMs);
// Waits until s can take more bytes; as waitReadable.
int waitWritable(SocketHandle s, int timeoutMs);

}  // namespace platform
}  // namespace dv

#endif  // DV_PLATFORM_SOCKETS_H_
