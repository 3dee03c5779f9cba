#include "platform/foundation/UniqueFd.h"

#include <unistd.h>

void UniqueFd::reset(int fd)
{
    const int old = m_fd;
    m_fd = fd;
    // A close interrupted by a signal has still released the descriptor on Linux; retrying
    // could close a descriptor that another thread has just been given.
    if (old >= 0 && old != fd)
        ::close(old);
}
