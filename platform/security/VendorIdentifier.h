#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The platform's identifier for this program's vendor: the same for every launch on one
// machine, so that a venue that bound the tablet by it keeps it bound. It is derived from the
// machine's identity file by a one-way hash (the file's text itself is never given out); a
// machine without a usable identity file gets a random identifier, stored under the data
// folder and kept from then on. Only when that cannot be stored either does it change per run.
class VendorIdentifier {
public:
    static constexpr const char* kMachineIdentityFile = "/etc/machine-id";

    // The uppercase 36-character UUID text.
    static std::string identifierForVendor();

    // Tests point the machine identity elsewhere; an empty path restores the system's.
    static void setMachineIdentityFileForTesting(std::filesystem::path path);
};
