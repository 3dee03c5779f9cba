#pragma once

#include "platform/net/SocketAddress.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <vector>

class RunLoop;

// Looks a host name up on a thread of its own, so the run loop never waits for the resolver,
// and hands the answer back to the run loop with a post. A literal address needs no lookup and
// is answered by numeric() at once.
class HostResolver {
public:
    struct Result {
        std::vector<SocketAddress> addresses; // in the resolver's order
        int resolverError = 0;                // EAI_... code, 0 on success
        int systemError = 0;                  // errno when resolverError is EAI_SYSTEM
    };
    using Completion = std::function<void(const Result&)>;

    // The completion runs on the loop's thread on a later pass, unless cancel() comes first.
    // The loop must outlive the lookup or the cancel() that ends it.
    static std::shared_ptr<HostResolver> start(std::string host, std::uint16_t port, RunLoop& loop,
                                               Completion completion);
    // The blocking lookup itself, for the worker thread, for addresses to bind or listen on
    // (passive: a name of this host) and for tests. The socket type is SOCK_STREAM (TCP) or
    // SOCK_DGRAM (UDP).
    static Result resolve(const std::string& host, std::uint16_t port, int socketType = SOCK_STREAM,
                          bool passive = false);
    // What the lookups started from now on run in place of resolve(), for tests that need one held
    // up as a slow resolver holds it; none puts resolve() back.
    using Lookup = std::function<Result(const std::string& host, std::uint16_t port)>;
    static void setLookupForTesting(Lookup lookup);

    // After cancel() the completion is never called; the lookup thread finishes on its own.
    void cancel();
    ~HostResolver();

private:
    HostResolver() = default;
    static void deliver(const std::shared_ptr<HostResolver>& self, Result result);

    std::mutex m_mutex;
    RunLoop* m_loop = nullptr; // cleared by cancel(); read by the lookup thread under m_mutex
    Completion m_completion;   // touched on the loop's thread only
    bool m_cancelled = false;
};
