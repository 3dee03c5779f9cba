// The room's equipment and song library: player, audio, lights and TV channels. These replies
// carry their data from line 2; there is no error code.
#include "platform/foundation/NumberValue.h"
#include "platform/foundation/URLText.h"
#include "platform/foundation/UserDefaults.h"
#include "session/SocketDataHandle.h"
#include "session/records/TVRelayObject.h"
#include "session/records/TiaoGuangStateObject.h"

#include <sstream>

void SocketDataHandle::replySongLibrary(const ReplyLines& lines)
{
    if (lines.count() < 4)
        return;
    const auto url = URLWithString(lines[3]);
    const std::string& version = lines[2];
    const auto stored = UserDefaults::standard().stringForKey("dbVersion");
    if (!stored || *stored != version)
        tellDelegate([&](SocketDataHandleDelegate& d) { d.UpdateDB(url, version); });
    else
        tellDelegate([](SocketDataHandleDelegate& d) { d.DbExist(); });
}

void SocketDataHandle::replyPlayer(const ReplyLines& lines)
{
    const auto command = static_cast<VenueCommand>(lines.command());
    // The two tracks need no value line; the others do.
    const bool track = command == VenueCommand::Accompaniment || command == VenueCommand::SingerTrack;
    if (!track && lines.count() < 3)
        return;
    switch (command) {
    case VenueCommand::PlayPause:
        isPlaying = lines[2] == "1";
        break;
    case VenueCommand::Volume:
        currentVol = intValue(lines[2]);
        break;
    case VenueCommand::Mute:
        isMute = lines[2] == "1";
        break;
    case VenueCommand::Accompaniment:
        isOriginalMusic = false;
        break;
    case VenueCommand::SingerTrack:
        isOriginalMusic = true;
        break;
    default:
        return;
    }
    tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidControlChenged(); });
}

void SocketDataHandle::replyLights(const ReplyLines& lines)
{
    if (lines.count() < 4)
        return;
    const std::string& value = lines[3];
    if (value == "C" || value == "B")
        return;
    auto& lights = TiaoGuangStateObject::sharedInstance();
    const int type = intValue(lines[2]);
    if (type == 0) {
        lights.KaiGuanState = value;
    } else if (type == 1) {
        lights.PaiFengState = value;
    } else if (type == 2) {
        lights.KongTiaoState1 = value;
    } else if (type == 3) {
        lights.KongTiaoState2 = value;
    } else if (type == 4) {
        lights.KongTiaoState3 = value;
    } else if (type == 7) {
        lights.setCurrentMode(value);
        lights.currentModeValue = integerValue(value);
    } else if (type >= 11 && type <= 22) {
        lights.lineValues[static_cast<std::size_t>(type - 11)] = value;
    } else if (type == 30) {
        lights.names.clear();
        std::size_t start = 0;
        while (true) {
            const std::size_t end = value.find(';', start);
            lights.names.push_back(value.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
    tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidDengGuang(); });
}

void SocketDataHandle::replySound(const ReplyLines& lines)
{
    if (lines.count() < 4)
        return;
    const int type = intValue(lines[2]);
    const std::string& value = lines[3];
    if (type == 0) {
        volValue = value;
    } else if (type == 1) {
        huaTongVol = value;
    } else if (type == 2) {
        hunXiangVol = value;
    } else if (type == 4) {
        effMode = value;
    } else if (type == 5) {
        if (lines.count() < 6)
            return;
        volMax = floatValue(lines[3]);
        micMax = floatValue(lines[4]);
        effMax = floatValue(lines[5]);
    }
    tellDelegate([](SocketDataHandleDelegate& d) { d.socketDataHandleDidTiaoYin(); });
}

void SocketDataHandle::replyTvChannels(const ReplyLines& lines)
{
    // Triples from line 2; an incomplete last triple is dropped rather than read past the end.
    RecordList<TVRelayObject> channels;
    const std::size_t count = lines.recordCount(2, 3);
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t i = 2 + 3 * k;
        channels.push_back(std::make_shared<TVRelayObject>(TVRelayObject {lines[i], lines[i + 1], lines[i + 2]}));
    }
    if (!channels.empty())
        tellDelegate([&](SocketDataHandleDelegate& d) { d.socketDataHandleDidDianShiPinDao(channels); });
}

void SocketDataHandle::replyShowTvChannel(const ReplyLines&)
{
}
