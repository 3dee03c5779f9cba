#pragma once

#include <string>

// The server's date text from the start-up date reply.
class UserInfo {
public:
    static UserInfo& sharUserInfo();
    std::string SysTime;
};
