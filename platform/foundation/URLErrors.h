#pragma once

#include <string>
#include <utility>

namespace URLErrors {
// The URL error code and sentence for a libcurl result code.
std::pair<int, std::string> fromCurl(int curlCode);
} // namespace URLErrors
