#pragma once

#include <string>
#include <utility>

namespace URLErrors {
// The URL error code and sentence for a libcurl result code. osErrno is the system's error behind
// it (a connect to a network that is down or out of reach says the device is offline, which a
// later try may not find); requestSent says an HTTP request went out, so that what libcurl
// refuses after it is the server's reply at fault, not the URL or the machine.
std::pair<int, std::string> fromCurl(int curlCode, int osErrno = 0, bool requestSent = false);
} // namespace URLErrors
