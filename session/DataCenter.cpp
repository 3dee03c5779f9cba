#include "session/DataCenter.h"

#include "database/SqlDatabase.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "session/UDIDTools.h"

namespace {
std::unique_ptr<DataCenter>& instance()
{
    static std::unique_ptr<DataCenter> center;
    return center;
}
} // namespace

DataCenter& DataCenter::sharedInstance()
{
    auto& center = instance();
    if (!center)
        center.reset(new DataCenter());
    return *center;
}

void DataCenter::resetForTesting()
{
    instance().reset();
}

DataCenter::DataCenter()
{
    UDID = UDIDTools::UDID().value_or("");
    NSLog("UDID:%s", UDID.c_str());
}

void DataCenter::forwardNoticeCode(const std::string& code, std::string_view detail)
{
    NotificationCenter::defaultCenter().post(kNotificationName, this, {{"code", code}, {"detail", detail}});
}

std::shared_ptr<SongObject> DataCenter::getSongObjectWithSongId(const std::string& songId) const
{
    if (!db)
        return nullptr;
    auto rows = db->executeQuery("select * from OK_SONG where S_Code = ?", {songId});
    if (!rows || !rows->next())
        return nullptr;
    auto song = std::make_shared<SongObject>();
    song->songCode = rows->stringForColumn("S_Code");
    song->songName = rows->stringForColumn("S_NAME");
    song->singerId1 = rows->stringForColumn("SR_Num");
    song->singerId2 = rows->stringForColumn("SR_Num2");
    song->singerName1 = rows->stringForColumn("S_Singer1");
    song->singerName2 = rows->stringForColumn("S_Singer2").value_or("");
    if (auto code = rows->stringForColumn("L_CODE"))
        song->setLanguage(*code);
    song->songSource = rows->stringForColumn("S_CopyDest").value_or("");
    return song;
}

void DataCenter::actAsClerkNamedIn(const ResultDictionary& clerkInfo)
{
    clerkNo = resultValue(clerkInfo, "ClerkNo");
    clerkName = resultValue(clerkInfo, "ClerkName");
}
