#include "tools/venue-sim/CommandTable.h"

void CommandTable::add(int command, Handler handler)
{
    m_handlers[command] = std::move(handler);
}

std::vector<int> CommandTable::commands() const
{
    std::vector<int> numbers;
    for (const auto& [command, handler] : m_handlers)
        numbers.push_back(command);
    return numbers;
}

std::optional<ReplyBuilder> CommandTable::answer(const VenueRequest& request) const
{
    const auto it = m_handlers.find(request.command());
    if (it == m_handlers.end())
        return std::nullopt;
    return it->second(request);
}
