#include "tools/venue-sim/VenueSimOptions.h"

#include "tools/venue-sim/HallBinding.h"
#include "tools/venue-sim/VenueData.h"

#include <algorithm>
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

bool readMalformation(const std::string& value, VenueSimOptions& options)
{
    const auto colon = value.find(':');
    int command = 0;
    auto kind = colon == std::string::npos ? std::optional(FrameMalformation::BadCrc)
                                           : frameMalformationNamed(value.substr(colon + 1));
    if (!readCommand(value.substr(0, colon), command) || !kind || *kind == FrameMalformation::None)
        return false;
    options.server.malformed[command] = *kind;
    return true;
}

bool readDriftInterval(const std::string& value, VenueSimOptions& options)
{
    char* end = nullptr;
    const double seconds = std::strtod(value.c_str(), &end);
    if (!end || *end != '\0' || value.empty() || !(seconds >= 0.05 && seconds <= 3600))
        return false;
    options.server.driftInterval = seconds;
    return true;
}

bool readBinding(const std::string& value, VenueSimOptions& options)
{
    const auto equals = value.find('=');
    if (equals == std::string::npos || !HallBinding().set(value.substr(0, equals), {}))
        return false;
    options.binding.emplace_back(value.substr(0, equals), value.substr(equals + 1));
    return true;
}

struct Option {
    const char* name;
    const char* shortName; // or nullptr
    const char* value;     // what follows the option, or nullptr for a switch
    const char* help;
    // Switches are given an empty value.
    bool (*read)(const std::string& value, VenueSimOptions& options);
};

using Options = VenueSimOptions;

const Option optionTable[] {
    {"--port", nullptr, "N", "port of the venue link; 0 (the default) takes a free one",
     [](const std::string& v, Options& o) { return readNumber<std::uint16_t>(v, o.port, 0, 65535); }},
    {"--picture-port", nullptr, "N", "port of the picture page (HTTP); 0 (the default) takes a free one",
     [](const std::string& v, Options& o) { return readNumber<std::uint16_t>(v, o.picturePort, 0, 65535); }},
    {"--data", nullptr, "FILE", "venue data (default: resources/venue-sim/venue.json)",
     [](const std::string& v, Options& o) {
         o.dataFile = v;
         return true;
     }},
    {"--log", nullptr, "FILE", "request and fault lines (default: standard output)",
     [](const std::string& v, Options& o) {
         o.logFile = v;
         return true;
     }},
    {"--refuse", nullptr, "CMD", "answer command CMD with ErrorCode \"1\" (may repeat)",
     [](const std::string& v, Options& o) {
         int command = 0;
         if (!readCommand(v, command))
             return false;
         o.server.refused.insert(command);
         return true;
     }},
    {"--malformed", nullptr, "CMD[:KIND]", "answer CMD with a broken frame; KIND crc (default), digits, encoding",
     readMalformation},
    {"--drop-after", nullptr, "N", "close each link after N replies",
     [](const std::string& v, Options& o) {
         std::size_t count = 0;
         if (!readNumber<std::size_t>(v, count, 1, 1'000'000'000))
             return false;
         o.server.dropAfterReplies = count;
         return true;
     }},
    {"--no-drift", nullptr, nullptr, "rooms change only by requests",
     [](const std::string&, Options& o) {
         o.server.drift = false;
         return true;
     }},
    {"--drift-interval", nullptr, "SECONDS", "seconds between drift steps (default 4)", readDriftInterval},
    {"--seed", nullptr, "N", "seed of the drift",
     [](const std::string& v, Options& o) { return readNumber<std::uint32_t>(v, o.server.driftSeed, 0, UINT32_MAX); }},
    {"--binding", nullptr, "NAME=VALUE", "override a hall binding value of the data file (may repeat)", readBinding},
    {"--help", "-h", nullptr, "print this list and exit",
     [](const std::string&, Options& o) {
         o.help = true;
         return true;
     }},
};

const Option* optionNamed(const std::string& name)
{
    for (const auto& option : optionTable) {
        if (name == option.name || (option.shortName && name == option.shortName))
            return &option;
    }
    return nullptr;
}

std::string usageText()
{
    std::string text = "usage: venue-sim [OPTION]...";
    for (const auto& option : optionTable) {
        std::string names = option.shortName ? std::string(option.shortName) + ", " + option.name : option.name;
        if (option.value)
            names += std::string(" ") + option.value;
        names.resize(std::max<std::size_t>(names.size(), 24), ' ');
        text += "\n  " + names + " " + option.help;
    }
    return text;
}

} // namespace

const char* VenueSimOptions::usage()
{
    static const std::string text = usageText();
    return text.c_str();
}

std::optional<VenueSimOptions> VenueSimOptions::parse(const std::vector<std::string>& arguments, std::string& error)
{
    VenueSimOptions options;
    options.dataFile = VenueData::defaultFile();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        const Option* option = optionNamed(name);
        if (option && !option->value) {
            option->read({}, options);
            continue;
        }
        if (i + 1 >= arguments.size()) {
            error = name == "" || name[0] != '-' ? "unexpected argument \"" + name + "\"" : name + " needs a value";
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        if (!option) {
            error = "unknown option \"" + name + "\"";
            return std::nullopt;
        }
        if (!option->read(value, options)) {
            error = "bad value \"" + value + "\" for " + name;
            return std::nullopt;
        }
    }
    return options;
}
