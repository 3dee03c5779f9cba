#pragma once

#include <memory>
#include <string>
#include <vector>

class TempOederCenterDelegate {
public:
    virtual ~TempOederCenterDelegate() = default;
};

// An order holder the ordering screens register with; the live order is the dispatcher's
// basket, not this.
class TempOederCenter {
public:
    static TempOederCenter& sharedInstance();
    std::weak_ptr<TempOederCenterDelegate> delegata;
    std::vector<std::string> orderFoodArray;
};
