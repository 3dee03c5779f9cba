#pragma once

#include "session/VenueCommand.h"
#include "tools/venue-sim/ReplyBuilder.h"
#include "tools/venue-sim/VenueRequest.h"

#include <functional>
#include <map>
#include <optional>
#include <vector>

// Which reply each command gets. A handler turns a request into a reply, or into nothing when the
// command is answered by silence; a command without a handler is not answered either.
class CommandTable {
public:
    using Handler = std::function<std::optional<ReplyBuilder>(const VenueRequest&)>;

    // Replaces an earlier handler of the same command.
    void add(int command, Handler handler);
    void add(VenueCommand command, Handler handler) { add(commandNumber(command), std::move(handler)); }
    bool has(int command) const { return m_handlers.count(command) != 0; }
    std::vector<int> commands() const;

    std::optional<ReplyBuilder> answer(const VenueRequest& request) const;

private:
    std::map<int, Handler> m_handlers;
};
