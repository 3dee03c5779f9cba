#pragma once

#include <string>
#include <utility>

namespace URLErrors {
// The URL error code and sentence for a libcurl result code. cause is what the system said behind
// it: the errno of a failed connect, or getaddrinfo's result for a failed name lookup. A connect
// with no network or source address to use, and a lookup that reached no resolver (EAI_AGAIN),
// say the device is offline, which a later try may not find; a name that does not exist stays
// a host that cannot be found. requestSent says an HTTP request went out, so that what libcurl
// refuses after it is the server's reply at fault, not the URL or the machine.
std::pair<int, std::string> fromCurl(int curlCode, int cause = 0, bool requestSent = false);
} // namespace URLErrors
