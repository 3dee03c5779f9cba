#include "session/records/UserInfo.h"

UserInfo& UserInfo::sharUserInfo()
{
    static auto* info = new UserInfo();
    return *info;
}
