#include "session/AwaitedReplies.h"

#include "session/SocketDataHandle.h"

void AwaitedReplies::requestSent(int command)
{
    if (!SocketDataHandle::handlesCommand(command))
        return;
    ++m_waiting[command];
}

bool AwaitedReplies::replyArrived(int command)
{
    auto it = m_waiting.find(command);
    if (it == m_waiting.end())
        return false;
    if (--it->second == 0)
        m_waiting.erase(it);
    return true;
}

std::size_t AwaitedReplies::waiting(int command) const
{
    auto it = m_waiting.find(command);
    return it == m_waiting.end() ? 0 : it->second;
}
