#include "platform/security/VendorIdentifier.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

#include <openssl/evp.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/random.h>

namespace {

// Binds the hash to this program, so that another program deriving an identifier from the
// same machine identity gets a different one.
constexpr std::string_view kVendorKey = "floorpad vendor identifier";

using UuidBytes = std::array<unsigned char, 16>;

std::filesystem::path& machineIdentityOverride()
{
    static std::filesystem::path path;
    return path;
}

// The identity file holds 32 hex digits and a newline; anything else is not trusted.
std::optional<std::string> machineIdentity(const std::filesystem::path& file)
{
    auto text = readFile(file);
    if (!text)
        return std::nullopt;
    while (!text->empty() && std::isspace(static_cast<unsigned char>(text->back())))
        text->pop_back();
    if (text->size() != 32)
        return std::nullopt;
    for (char& c : *text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::optional<UuidBytes> hashed(const std::string& identity)
{
    const std::string input = std::string(kVendorKey) + '\n' + identity;
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest {};
    unsigned int length = 0;
    if (EVP_Digest(input.data(), input.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1 || length < 16)
        return std::nullopt;
    UuidBytes bytes {};
    std::copy_n(digest.begin(), bytes.size(), bytes.begin());
    return bytes;
}

std::optional<UuidBytes> randomBytes()
{
    UuidBytes bytes {};
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t n = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (n <= 0)
            return std::nullopt;
        filled += static_cast<std::size_t>(n);
    }
    return bytes;
}

std::string uuidText(UuidBytes bytes, unsigned char version)
{
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | (version << 4));
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80); // variant 1
    char text[37];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes[0],
                  bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9], bytes[10],
                  bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

bool isUuidText(const std::string& text)
{
    if (text.size() != 36)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

std::string storedRandomIdentifier(const OpenFolder& data)
{
    constexpr const char* name = "vendor-identifier";
    if (auto stored = data.read(name, 64); stored && isUuidText(*stored))
        return *stored;
    const auto bytes = randomBytes();
    if (!bytes)
        return {};
    auto text = uuidText(*bytes, 4);
    if (!data.writeWhole(name, text))
        NSLog("vendor identifier could not be stored in %s (%s); it holds for this run only", data.pathOf(name).c_str(),
              std::strerror(errno));
    return text;
}

} // namespace

std::string VendorIdentifier::identifierForVendor()
{
    const auto& override = machineIdentityOverride();
    if (auto identity = machineIdentity(override.empty() ? std::filesystem::path(kMachineIdentityFile) : override)) {
        if (auto bytes = hashed(*identity))
            return uuidText(*bytes, 5);
    }
    return storedRandomIdentifier(*Paths::openDataFolder());
}

void VendorIdentifier::setMachineIdentityFileForTesting(std::filesystem::path path)
{
    machineIdentityOverride() = std::move(path);
}
