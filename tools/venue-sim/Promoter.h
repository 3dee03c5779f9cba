#pragma once

#include <string>

// A member of staff who brings guests flower orders: known by the stage name, searched by its
// pinyin.
struct Promoter {
    std::string recordId;
    std::string stageName;
    std::string pinyin;
    std::string fullName;
    std::string staffNo;
    std::string team;
    bool takesFlowers = true;
};
