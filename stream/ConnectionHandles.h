// The connection handle table: numbered handles for connections, so that
// code that holds only a number can send, receive and close. The table has
// 128 entries, each with the number asked for, the connection, its socket and
// the owning process. A connection that brings its own number (0 to 117) is
// registered under it; others take the first free entry from 118 to 127. A
// process reaches only the handles it registered itself: after a fork the
// child sees its parent's entries as unknown, and closing all handles of a
// process leaves the others' alone.
//
// Every function that takes a handle reports through kindOut and numberOut
// (each may be null) the connection's error kind and number after the call:
// an unknown handle gives kind 17, a connection that is no longer open when
// the call starts gives kind 19. A peer that closes during the call gives the
// connection's own kind 1, and every later call kind 19.
//
// The table is process-wide and unguarded: one thread uses it.
#ifndef DV_STREAM_CONNECTIONHANDLES_H_
#define DV_STREAM_CONNECTIONHANDLES_H_

#include <cstdint>

#include "stream/Connection.h"

namespace dv {

inline constexpr int kHandleCount = 128;
inline constexpr int kFirstDynamicHandle = 118;

// Registers connection (the table takes it over on success) and answers its
// handle; -1, with nothing taken, for a missing or closed connection, a
// number of its own out of range or taken, or a full table.
int registerConnection(Connection* connection);
// The connection of handle, when this process registered it; else null.
Connection* connectionOf(int handle);

// A new connection listening on port, waiting for one incoming connection,
// registered; asked is the handle number wanted (0 to 117) or -1 for a
// dynamic one. Answers the handle, or -1.
int openListening(int asked, int port, int32_t* kindOut, int32_t* numberOut);
int openListening(int asked, const char* port, int32_t* kindOut, int32_t* numberOut);
// Connects to host and, with kind 1, logs in through its rexec/autostart
// daemon (kind 0 only connects); registers the connection and copies its
// message into messageOut (messageSize bytes, cut to fit). options "-d" or
// "-D" mark a debugging call: the progress texts go to standard error.
// Answers the handle, or -1 (a kind other than 0 or 1 gives kind 20).
int openHost(int kind, const char* transport, const char* hostType, const char* host, int port,
             const char* user, const char* password, const char* command, const char* arguments,
             const char* options, int32_t* kindOut, int32_t* numberOut, char* messageOut,
             int messageSize);
// sendAll on the handle's connection: len, or -1.
int sendHandle(int handle, const void* buf, int len, int32_t* kindOut, int32_t* numberOut);
// receiveWithin on the handle's connection.
int receiveHandle(int handle, void* buf, int len, int seconds, int32_t* kindOut,
                  int32_t* numberOut);
// One receive on the handle's connection.
int receiveNow(int handle, void* buf, int len, int32_t* kindOut, int32_t* numberOut);
// Deletes the handle's connection and frees the entry; 0, or -1 for an
// unknown handle.
int closeHandle(int handle, int32_t* kindOut, int32_t* numberOut);
// Closes every handle this process registered.
void closeProcessHandles();

}  // namespace dv

#endif  // DV_STREAM_CONNECTIONHANDLES_H_
