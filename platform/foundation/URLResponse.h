#pragma once

#include <cstdint>
#include <map>
#include <string>

// A server's answer before its body: status 0 for a URL that is not HTTP, the announced body
// length (-1 when not announced) and the header fields with lower-case names.
struct URLResponse {
    std::string url;
    int statusCode = 0;
    std::int64_t expectedContentLength = -1;
    std::map<std::string, std::string> headers;

    std::string header(const std::string& lowerCaseName) const
    {
        const auto it = headers.find(lowerCaseName);
        return it == headers.end() ? std::string() : it->second;
    }
};
