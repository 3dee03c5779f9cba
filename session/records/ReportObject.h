#pragma once

#include <cstdint>
#include <string>

// A room's service report: 38 ratings (1 until read) and seven remarks.
class ReportObject {
public:
    std::int64_t reportID = 0;
    std::int64_t YinXiangZhiLiang = 1, YinXiangZaYin = 1, HuaTongHunXiang = 1, HuaTongXiaoJiao = 1,
                 DianShiTuXiang = 1, GongFangYunZuo = 1, GeKuGengXin = 1, IPADXingHao = 1, ShouJiXingHao = 1,
                 KongTiaoXiaoGuo = 1, KongTiaoZaYin = 1, PaiFengXinFeng = 1, KongQiZhiLiang = 1, FangNeiShiDu = 1,
                 FangNeiYiWei = 1, ChuPinSuDu = 1, ShuiGuoZhiLiang = 1, ShuiGuoPinZhong = 1, ShuiGuoXingZhuang = 1,
                 XiaoChiZhiLiang = 1, XiaoChiXingZhuang = 1, XiaoChiKouWei = 1, XiaoChiPinZhong = 1,
                 XiShouJianWeiSheng = 1, FangJianPeiHe = 1, WuPinJiaoJie = 1, WuPinGenJin = 1, ShiFangLiMao = 1,
                 ShiFangLieDui = 1, LunFangSuDu = 1, KeHuWeiHu = 1, FangNeiFuWu = 1, FangNeiFenWei = 1,
                 FangNeiPeiHe = 1, SongKeQingKuang = 1, DaiFangHuiFangCiShu = 1, DaiFangJingJiuCiShu = 1,
                 DaiFangHuoYueQiFenCiShu = 1;
    std::string YinXiangShiPinBeiZhu;
    std::string KongTiaoXiaoGuoBeiZhu;
    std::string WangLuoXiaoGuoBeiZhu;
    std::string ChuPinBuBeiZhu;
    std::string LouMianBuBeiZhu;
    std::string YeWuBuBeiZhu;
    std::string QiTaBeiZhu;
};
