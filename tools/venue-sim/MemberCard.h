#pragma once

#include <string>

// A member's card: the number printed on it, the password the member types, the account it pays
// from and what the card screens show of it.
struct MemberCard {
    std::string number;
    std::string password;
    std::string account; // the member's folio on the server
    std::string name;
    std::string phone;
    std::string level;
    std::string state = "正常"; // anything else ("挂失", "冻结") cannot pay
    std::string discount = "1";
    std::string points = "0";
    double balance = 0;

    bool canPay() const { return state == "正常"; }
};
