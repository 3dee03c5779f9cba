#pragma once

#include <any>
#include <map>
#include <string>
#include <string_view>

struct Notification {
    std::string name;
    const void* object = nullptr;
    std::map<std::string, std::any> userInfo;

    // The text stored under key (a string, a view or a C string), or the empty text when it is
    // missing or not text.
    std::string stringForKey(const std::string& key) const;
    // The same without a copy: a view of the stored text, valid while the notification is (a
    // stored view: while the text it views is, which a poster keeps for the delivery).
    std::string_view textForKey(const std::string& key) const;
};
