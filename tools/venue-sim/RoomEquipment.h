#pragma once

#include <map>
#include <string>

// The player, sound and lights of one room, as the room control commands set and report them.
struct RoomEquipment {
    bool playing = true;
    bool muted = false;
    bool vocal = false; // the singer's track rather than the accompaniment
    int volume = 60;
    std::string channel;
    std::map<int, std::string> lights; // by item type: switch, fan, air conditioners, mode, channels
    std::map<int, std::string> audio;  // by setting type: volume, microphone, echo, effect mode
};

struct TvChannel {
    std::string name;
    std::string number;
};

// The song library the rooms play from and where a newer one is downloaded.
struct SongLibrary {
    std::string version;
    std::string url;
};

// The venue's equipment limits and the starting state of every room.
struct EquipmentDefaults {
    std::string volumeMax = "100";
    std::string micMax = "100";
    std::string effectMax = "10";
    std::string lampNames;
    std::map<int, std::string> lights;
    std::map<int, std::string> audio;
};
