#pragma once

#include "tools/venue-sim/VenueServerOptions.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The program's command line; usage() lists every option, one line each.
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
