#pragma once

#include <string>

// One staff member of a promoter query reply.
struct SelectClerkListInfoDown {
    std::string DangAnID; // becomes the order line's FlowerGirlsNo
    std::string YiMing;   // stage name; becomes the order line's DeduckClerkName
    std::string XingMing;
    std::string GongHao;
    std::string Str2;
    std::string Str3;
    std::string Str4;
    std::string Str5;
};
