#pragma once

#include <string>
#include <vector>

// The promoter query; its fields travel in this order as the fields of the query command.
struct SelectClerkListUp {
    std::string YuanGongFenLei0;
    std::string YuanGongFenLei1;
    std::string YuanGongFenLei2;
    std::string YuanGongFenLei3;
    std::string YuanGongFenLei4;
    std::string YuanGongFenLei5;
    std::string CanReceiveFlow;
    std::string YiMingPinYin;
    std::string PageData;
    std::string PageSize;
    std::string PageNo;
    std::string Str1;
    std::string Str2;
    std::string Str3;

    std::vector<std::string> fields() const
    {
        return {YuanGongFenLei0, YuanGongFenLei1, YuanGongFenLei2, YuanGongFenLei3, YuanGongFenLei4,
                YuanGongFenLei5, CanReceiveFlow,  YiMingPinYin,    PageData,        PageSize,
                PageNo,          Str1,            Str2,            Str3};
    }
};
