#include "platform/net/HostResolver.h"

#include "platform/foundation/DetachedThreads.h"
#include "platform/foundation/RunLoop.h"

#include <cerrno>
#include <netdb.h>

namespace {
// Never destroyed: read as lookups start, which may be as the process ends.
HostResolver::Lookup& lookupInPlace()
{
    static auto* lookup = new HostResolver::Lookup;
    return *lookup;
}
} // namespace

void HostResolver::setLookupForTesting(Lookup lookup)
{
    lookupInPlace() = std::move(lookup);
}

std::shared_ptr<HostResolver> HostResolver::start(std::string host, std::uint16_t port, RunLoop& loop,
                                                  Completion completion)
{
    std::shared_ptr<HostResolver> self(new HostResolver());
    self->m_loop = &loop;
    self->m_completion = std::move(completion);
    // Not joined: a slow resolver must not hold up whoever cancels. The thread keeps the shared
    // state alive and, once cancelled, only drops its answer; past the process's end it touches
    // only that state and the loop, which the loop's owner keeps.
    Lookup lookup = lookupInPlace();
    if (!lookup)
        lookup = [](const std::string& name, std::uint16_t number) { return resolve(name, number); };
    if (!DetachedThreads::start([self, host, port, lookup] { deliver(self, lookup(host, port)); })) {
        // No thread to be had (the process is out of them, or ending): the lookup fails like any other.
        Result failed;
        failed.resolverError = EAI_SYSTEM;
        failed.systemError = EAGAIN;
        deliver(self, std::move(failed));
    }
    return self;
}

HostResolver::Result HostResolver::resolve(const std::string& host, std::uint16_t port, int socketType, bool passive)
{
    Result result;
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = socketType;
    hints.ai_protocol = socketType == SOCK_DGRAM ? IPPROTO_UDP : IPPROTO_TCP;
    hints.ai_flags = passive ? AI_PASSIVE : 0;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    const int status = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    if (status != 0) {
        result.resolverError = status;
        result.systemError = status == EAI_SYSTEM ? errno : 0;
        return result;
    }
    for (addrinfo* entry = list; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET || entry->ai_family == AF_INET6)
            result.addresses.emplace_back(entry->ai_addr, entry->ai_addrlen);
    }
    ::freeaddrinfo(list);
    if (result.addresses.empty())
        result.resolverError = EAI_NONAME;
    return result;
}

void HostResolver::deliver(const std::shared_ptr<HostResolver>& self, Result result)
{
    std::lock_guard lock(self->m_mutex);
    if (!self->m_loop)
        return;
    self->m_loop->post([self, result = std::move(result)] {
        if (self->m_cancelled || !self->m_completion)
            return;
        auto completion = std::move(self->m_completion);
        self->m_completion = nullptr;
        completion(result);
    });
}

void HostResolver::cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_loop = nullptr;
    }
    m_cancelled = true;
    m_completion = nullptr;
}

HostResolver::~HostResolver() = default;
