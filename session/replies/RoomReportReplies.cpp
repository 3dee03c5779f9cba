// A room's service report, and the confirmation that one was saved.
#include "platform/foundation/NumberValue.h"
#include "session/SocketDataHandle.h"
#include "session/records/ReportObject.h"

void SocketDataHandle::replyRoomReport(const ReplyLines& lines)
{
    if (intValue(lines[2]) == 0) {
        auto report = std::make_shared<ReportObject>();
        auto& r = *report;
        r.reportID = intValue(lines[4]);
        std::int64_t* ratings[] = {
            &r.YinXiangZhiLiang, &r.YinXiangZaYin, &r.HuaTongHunXiang, &r.HuaTongXiaoJiao, &r.DianShiTuXiang,
            &r.GongFangYunZuo, &r.GeKuGengXin, nullptr, &r.IPADXingHao, &r.ShouJiXingHao, nullptr,
            &r.KongTiaoXiaoGuo, &r.KongTiaoZaYin, &r.PaiFengXinFeng, &r.KongQiZhiLiang, &r.FangNeiShiDu,
            &r.FangNeiYiWei, nullptr, &r.ChuPinSuDu, &r.ShuiGuoZhiLiang, &r.ShuiGuoPinZhong, &r.ShuiGuoXingZhuang,
            &r.XiaoChiZhiLiang, &r.XiaoChiXingZhuang, &r.XiaoChiKouWei, &r.XiaoChiPinZhong, nullptr,
            &r.XiShouJianWeiSheng, &r.FangJianPeiHe, &r.WuPinJiaoJie, &r.WuPinGenJin, nullptr, &r.ShiFangLiMao,
            &r.ShiFangLieDui, &r.LunFangSuDu, &r.KeHuWeiHu, &r.FangNeiFuWu, &r.FangNeiFenWei, &r.FangNeiPeiHe,
            &r.SongKeQingKuang, nullptr, &r.DaiFangHuiFangCiShu, &r.DaiFangJingJiuCiShu, &r.DaiFangHuoYueQiFenCiShu,
            nullptr,
        };
        // The remarks stand between the ratings, at the places left empty above.
        std::string* remarks[] = {&r.YinXiangShiPinBeiZhu, &r.WangLuoXiaoGuoBeiZhu, &r.KongTiaoXiaoGuoBeiZhu,
                                  &r.ChuPinBuBeiZhu,       &r.LouMianBuBeiZhu,      &r.YeWuBuBeiZhu,
                                  &r.QiTaBeiZhu};
        std::size_t remark = 0;
        // A short report fills what it carries; the rest keeps its initial values.
        for (std::size_t i = 0; i < std::size(ratings) && lines.has(5 + i); ++i) {
            const auto& line = lines[5 + i];
            if (ratings[i])
                *ratings[i] = intValue(line);
            else
                *remarks[remark++] = line;
        }
        reportObj = std::move(report);
    }
    auto report = reportObj;
    tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidRoomReport(report); });
}

void SocketDataHandle::replySaveRoomReport(const ReplyLines& lines)
{
    if (lines.errorCode() == "0")
        tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidSaveRoomReport(); });
}
