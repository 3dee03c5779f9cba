#include "session/records/TempOederCenter.h"

TempOederCenter& TempOederCenter::sharedInstance()
{
    static auto* center = new TempOederCenter();
    return *center;
}
