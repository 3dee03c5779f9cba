#pragma once

#include <any>
#include <map>
#include <string>

struct Notification {
    std::string name;
    const void* object = nullptr;
    std::map<std::string, std::any> userInfo;

    // The text stored under key, or the empty text when it is missing or not text.
    std::string stringForKey(const std::string& key) const;
};
