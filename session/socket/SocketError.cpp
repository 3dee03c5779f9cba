#include "session/socket/SocketError.h"

#include <cstring>

SocketError posixError(int code)
{
    return {SocketErrorDomains::Posix, code, std::strerror(code)};
}
