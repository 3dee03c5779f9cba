#pragma once

#include "platform/foundation/UniqueFd.h"

#include <cstddef>
#include <sys/types.h>

// The descriptor-level calls the stream and socket objects are written on. Every socket is
// non-blocking and close-on-exec; an IPv6 socket carries IPv6 only, so a v4 and a v6 socket
// can share a port.
namespace SocketCalls {
// A TCP stream socket of the family; on failure an invalid descriptor and errno in *error.
UniqueFd createStreamSocket(int family, int* error = nullptr);
// A UDP datagram socket of the family, the same way.
UniqueFd createDatagramSocket(int family, int* error = nullptr);
bool makeNonBlocking(int fd);
// The pending error of a socket (SO_ERROR), 0 when none.
int pendingError(int fd);
// Readiness right now, never waiting. A hung-up or failed descriptor counts as ready, so the
// next read or write reveals the end or the error instead of the caller waiting for ever.
bool isReadable(int fd);
bool isWritable(int fd);
// True for the errors of a non-blocking call that says "not now" (full, empty, interrupted).
bool mustRetryLater(int error);
// send() that never raises SIGPIPE; retried on EINTR. Returns what send() returns.
ssize_t sendNoSignal(int fd, const void* bytes, std::size_t length);
// recv() retried on EINTR.
ssize_t receive(int fd, void* bytes, std::size_t length);
} // namespace SocketCalls
