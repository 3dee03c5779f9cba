#pragma once

#include "platform/foundation/NSURL.h"

#include <map>
#include <string>

enum class URLRequestCachePolicy : int {
    // Answers from the shared URL cache when the server confirms the stored copy (304).
    UseProtocolCachePolicy = 0,
    // Always from the server; nothing stored is looked at.
    ReloadIgnoringLocalCacheData = 1,
};

// What to ask a server for. The timeout limits the connect and any silence while receiving.
struct URLRequest {
    explicit URLRequest(NSURL requestURL, double timeout = 60,
                        URLRequestCachePolicy policy = URLRequestCachePolicy::UseProtocolCachePolicy)
        : url(std::move(requestURL))
        , timeoutInterval(timeout)
        , cachePolicy(policy)
    {
    }

    NSURL url;
    double timeoutInterval;
    URLRequestCachePolicy cachePolicy;
    bool HTTPShouldHandleCookies = true;
    bool HTTPShouldUsePipelining = false;
    std::map<std::string, std::string> allHTTPHeaderFields;
};
