#include "tools/venue-sim/VenueSimOptions.h"

#include "tools/venue-sim/HallBinding.h"
#include "tools/venue-sim/VenueData.h"

#include <charconv>
#include <cstdlib>

namespace {

template<typename T>
bool readNumber(const std::string& text, T& value, T lowest, T highest)
{
    T parsed {};
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (status != std::errc() || end != text.data() + text.size() || parsed < lowest || parsed > highest)
        return false;
    value = parsed;
    return true;
}

bool readCommand(const std::string& text, int& command)
{
    return readNumber(text, command, 1, 999);
}

} // namespace

const char* VenueSimOptions::usage()
{
    return "usage: venue-sim [OPTION]...\n"
           "  --port N                 port of the venue link; 0 (the default) takes a free one\n"
           "  --picture-port N         port of the picture page (HTTP); 0 (the default) takes a free one\n"
           "  --data FILE              venue data (default: resources/venue-sim/venue.json)\n"
           "  --log FILE               request and fault lines (default: standard output)\n"
           "  --refuse CMD             answer command CMD with ErrorCode \"1\" (may repeat)\n"
           "  --malformed CMD[:KIND]   answer CMD with a broken frame; KIND crc (default), digits, encoding\n"
           "  --drop-after N           close each link after N replies\n"
           "  --no-drift               rooms change only by requests\n"
           "  --drift-interval SECONDS seconds between drift steps (default 4)\n"
           "  --seed N                 seed of the drift\n"
           "  --binding NAME=VALUE     override a hall binding value of the data file (may repeat)\n"
           "  -h, --help               print this list and exit";
}

std::optional<VenueSimOptions> VenueSimOptions::parse(const std::vector<std::string>& arguments, std::string& error)
{
    VenueSimOptions options;
    options.dataFile = VenueData::defaultFile();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--no-drift") {
            options.server.drift = false;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            error = name == "" || name[0] != '-' ? "unexpected argument \"" + name + "\"" : name + " needs a value";
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        bool ok = true;
        if (name == "--port") {
            ok = readNumber<std::uint16_t>(value, options.port, 0, 65535);
        } else if (name == "--picture-port") {
            ok = readNumber<std::uint16_t>(value, options.picturePort, 0, 65535);
        } else if (name == "--data") {
            options.dataFile = value;
        } else if (name == "--log") {
            options.logFile = value;
        } else if (name == "--refuse") {
            int command = 0;
            ok = readCommand(value, command);
            options.server.refused.insert(command);
        } else if (name == "--malformed") {
            const auto colon = value.find(':');
            int command = 0;
            auto kind = colon == std::string::npos ? std::optional(FrameMalformation::BadCrc)
                                                   : frameMalformationNamed(value.substr(colon + 1));
            ok = readCommand(value.substr(0, colon), command) && kind && *kind != FrameMalformation::None;
            if (ok)
                options.server.malformed[command] = *kind;
        } else if (name == "--drop-after") {
            std::size_t count = 0;
            ok = readNumber<std::size_t>(value, count, 1, 1'000'000'000);
            options.server.dropAfterReplies = count;
        } else if (name == "--drift-interval") {
            char* end = nullptr;
            const double seconds = std::strtod(value.c_str(), &end);
            ok = end && *end == '\0' && !value.empty() && seconds >= 0.05 && seconds <= 3600;
            options.server.driftInterval = seconds;
        } else if (name == "--binding") {
            const auto equals = value.find('=');
            ok = equals != std::string::npos && HallBinding().set(value.substr(0, equals), {});
            if (ok)
                options.binding.emplace_back(value.substr(0, equals), value.substr(equals + 1));
        } else if (name == "--seed") {
            ok = readNumber<std::uint32_t>(value, options.server.driftSeed, 0, UINT32_MAX);
        } else {
            error = "unknown option \"" + name + "\"";
            return std::nullopt;
        }
        if (!ok) {
            error = "bad value \"" + value + "\" for " + name;
            return std::nullopt;
        }
    }
    return options;
}
