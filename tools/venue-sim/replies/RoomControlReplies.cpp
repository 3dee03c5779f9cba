#include "tools/venue-sim/replies/RoomControlReplies.h"

#include "platform/foundation/NumberValue.h"
#include "tools/venue-sim/CommandTable.h"
#include "tools/venue-sim/VenueData.h"

#include <algorithm>

namespace {

constexpr int kVolumeStep = 5;
constexpr int kLightModeType = 7;
constexpr int kLampNamesType = 30;
constexpr int kAudioMaximaType = 5;

// Fields of every room control command: room number first, then what to set; without a value
// the reply reports the current state.
RoomEquipment* equipmentOf(const ReplyContext& context, const VenueRequest& request)
{
    if (!context.data->room(request.field(0)))
        return nullptr;
    return &context.data->equipment(request.field(0));
}

std::optional<bool> onOff(const std::string& value)
{
    if (value == "1")
        return true;
    if (value == "0")
        return false;
    return std::nullopt;
}

const char* flagText(bool value)
{
    return value ? "1" : "0";
}

ReplyBuilder songLibrary(const ReplyContext& context)
{
    const SongLibrary& library = context.data->songLibrary();
    return ReplyBuilder::withoutStatus(VenueCommand::SongLibrary).line(library.version).line(library.url);
}

// Play or pause, volume (a number, or "+" and "-" by steps), mute, accompaniment or the singer's
// track.
std::optional<ReplyBuilder> player(const ReplyContext& context, const VenueRequest& request)
{
    RoomEquipment* room = equipmentOf(context, request);
    if (!room)
        return std::nullopt;
    const std::string& value = request.field(1);
    ReplyBuilder reply = ReplyBuilder::withoutStatus(request.command());
    switch (static_cast<VenueCommand>(request.command())) {
    case VenueCommand::PlayPause:
        room->playing = onOff(value).value_or(room->playing);
        return reply.line(flagText(room->playing));
    case VenueCommand::Volume:
        if (value == "+" || value == "-")
            room->volume += value == "+" ? kVolumeStep : -kVolumeStep;
        else if (!value.empty())
            room->volume = intValue(value);
        room->volume = std::clamp(room->volume, 0, 100);
        return reply.line(room->volume);
    case VenueCommand::Mute:
        room->muted = onOff(value).value_or(room->muted);
        return reply.line(flagText(room->muted));
    default:
        room->vocal = request.command() == commandNumber(VenueCommand::SingerTrack);
        return reply.line(flagText(room->vocal));
    }
}

// Fields: room, item type (the lighting mode when empty), value to set.
std::optional<ReplyBuilder> lights(const ReplyContext& context, const VenueRequest& request)
{
    RoomEquipment* room = equipmentOf(context, request);
    if (!room)
        return std::nullopt;
    const int type = request.field(1).empty() ? kLightModeType : intValue(request.field(1));
    if (type == kLampNamesType)
        return ReplyBuilder::withoutStatus(VenueCommand::Lights).line(type).line(context.data->equipmentDefaults().lampNames);
    if (!request.field(2).empty())
        room->lights[type] = request.field(2);
    const auto it = room->lights.find(type);
    return ReplyBuilder::withoutStatus(VenueCommand::Lights).line(type).line(it == room->lights.end() ? "0" : it->second);
}

// Fields: room, setting type (volume when empty), value to set. Type 5 asks for the maxima.
std::optional<ReplyBuilder> sound(const ReplyContext& context, const VenueRequest& request)
{
    RoomEquipment* room = equipmentOf(context, request);
    if (!room)
        return std::nullopt;
    const int type = intValue(request.field(1));
    if (type == kAudioMaximaType) {
        const EquipmentDefaults& limits = context.data->equipmentDefaults();
        return ReplyBuilder::withoutStatus(VenueCommand::Sound).line(type).line(limits.volumeMax).line(limits.micMax).line(limits.effectMax);
    }
    if (!request.field(2).empty())
        room->audio[type] = request.field(2);
    const auto it = room->audio.find(type);
    return ReplyBuilder::withoutStatus(VenueCommand::Sound).line(type).line(it == room->audio.end() ? "0" : it->second);
}

// Triples of position, name and number.
ReplyBuilder tvChannels(const ReplyContext& context)
{
    ReplyBuilder reply = ReplyBuilder::withoutStatus(VenueCommand::TvChannels);
    std::int64_t position = 0;
    for (const auto& channel : context.data->tvChannels())
        reply.line(++position).line(channel.name).line(channel.number);
    return reply;
}

// Fields: room, channel number to show.
std::optional<ReplyBuilder> showChannel(const ReplyContext& context, const VenueRequest& request)
{
    RoomEquipment* room = equipmentOf(context, request);
    if (!room)
        return std::nullopt;
    const auto& channels = context.data->tvChannels();
    const bool known = std::any_of(channels.begin(), channels.end(), [&](const auto& c) { return c.number == request.field(1); });
    if (known)
        room->channel = request.field(1);
    return ReplyBuilder::withoutStatus(VenueCommand::ShowTvChannel).line(room->channel);
}

} // namespace

void installRoomControlReplies(CommandTable& table, ReplyContext context)
{
    table.add(VenueCommand::SongLibrary, [context](const VenueRequest&) { return songLibrary(context); });
    for (auto command : {VenueCommand::PlayPause, VenueCommand::Volume, VenueCommand::Mute,
                         VenueCommand::Accompaniment, VenueCommand::SingerTrack})
        table.add(command, [context](const VenueRequest& request) { return player(context, request); });
    table.add(VenueCommand::Lights, [context](const VenueRequest& request) { return lights(context, request); });
    table.add(VenueCommand::Sound, [context](const VenueRequest& request) { return sound(context, request); });
    table.add(VenueCommand::TvChannels, [context](const VenueRequest&) { return tvChannels(context); });
    table.add(VenueCommand::ShowTvChannel, [context](const VenueRequest& request) { return showChannel(context, request); });
}
