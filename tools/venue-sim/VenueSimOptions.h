#pragma once

#include "tools/venue-sim/VenueServerOptions.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The program's command line:
//   --port N            0 (the default) takes a free port
//   --picture-port N    port of the picture page (HTTP), 0 (the default) a free one
//   --data FILE         venue data (default: resources/venue-sim/venue.json)
//   --log FILE          request and fault lines (default: standard output)
//   --refuse CMD        answer CMD with ErrorCode "1" (may repeat)
//   --malformed CMD[:KIND]  answer CMD with a broken frame; KIND crc (default), digits, encoding
//   --drop-after N      close each link after N replies
//   --no-drift          rooms change only by requests
//   --drift-interval S  seconds between drift steps (default 4)
//   --seed N            seed of the drift
//   --binding NAME=VALUE  overrides a hall binding value of the data file (may repeat), e.g.
//                       BoundType=1 to send the tablet straight to the room floor
class VenueSimOptions {
public:
    static std::optional<VenueSimOptions> parse(const std::vector<std::string>& arguments, std::string& error);
    static const char* usage();

    std::uint16_t port = 0;
    std::uint16_t picturePort = 0;
    std::filesystem::path dataFile;
    std::optional<std::filesystem::path> logFile;
    std::vector<std::pair<std::string, std::string>> binding;
    VenueServerOptions server;
    bool help = false;
};
