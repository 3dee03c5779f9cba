#include "platform/security/Keychain.h"

#include "platform/foundation/JsonDocument.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <sys/stat.h>
#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

namespace {

std::string toHex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

bool fromHex(const std::string& hex, std::string& out)
{
    if (hex.size() % 2)
        return false;
    out.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int value = 0;
        for (std::size_t k = 0; k < 2; ++k) {
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(hex[i + k])));
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else
                return false;
            value = value * 16 + digit;
        }
        out.push_back(static_cast<char>(value));
    }
    return true;
}

std::string lowered(std::string text)
{
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string itemName(const std::string& service)
{
    // The name is hex so that no service text can point outside the folder.
    return toHex(lowered(service)) + ".item";
}

} // namespace

Keychain Keychain::standard()
{
    return Keychain(Paths::openDataFolder()->subfolder("keychain", 0700));
}

Keychain::Keychain(const fs::path& folder)
    : Keychain(OpenFolder::open(folder, OpenFolder::Links::RefuseLast, 0700))
{
}

Keychain::Keychain(OpenFolder folder)
    : m_folder(std::make_shared<const OpenFolder>(std::move(folder)))
{
}

fs::path Keychain::fileFor(const std::string& service) const
{
    return m_folder->pathOf(itemName(service));
}

bool Keychain::reachable(const char* doing) const
{
    if (m_folder->isOpen())
        return true;
    NSLog("keychain: cannot %s: %s", doing, m_folder->problem().c_str());
    return false;
}

int Keychain::copyMatching(const std::string& service, KeychainItem* item) const
{
    return reachable("read an item") ? find(service, item) : errSecIO;
}

int Keychain::find(const std::string& service, KeychainItem* item) const
{
    const auto name = itemName(service);
    const auto info = m_folder->statusOf(name);
    if (!info)
        return errno == ENOENT ? errSecItemNotFound : errSecIO;
    // A link or a pipe someone planted in an item's place holds no item; storing one replaces it.
    if (!S_ISREG(info->st_mode))
        return errSecItemNotFound;
    // Too large to be an item is what it holds, not a failure to reach it: it is set aside as any
    // item that cannot be read, and its service stored afresh.
    if (static_cast<std::uint64_t>(info->st_size) > MostItemBytes)
        return errSecDecode;
    auto bytes = m_folder->read(name, MostItemBytes);
    if (!bytes)
        return errSecIO;
    const auto parsed = JsonDocument::parse(*bytes);
    if (!parsed || !parsed->is_object())
        return errSecDecode;
    const auto& json = *parsed;
    KeychainItem found;
    try {
        found.service = json.at("service").get<std::string>();
        found.description = json.value("description", "");
        found.account = json.value("account", "");
        found.label = json.value("label", "");
        found.accessGroup = json.value("accessGroup", "");
        if (!fromHex(json.at("data").get<std::string>(), found.data))
            return errSecDecode;
    } catch (const nlohmann::json::exception&) {
        return errSecDecode;
    }
    if (item)
        *item = std::move(found);
    return errSecSuccess;
}

int Keychain::add(const KeychainItem& item)
{
    if (!reachable("store an item"))
        return errSecIO;
    const int status = find(item.service, nullptr);
    if (status == errSecSuccess)
        return errSecDuplicateItem;
    if (status != errSecItemNotFound && status != errSecDecode)
        return status;
    // Whatever the unreadable item held may still matter to someone: keep it beside.
    if (status == errSecDecode && !m_folder->setAside(itemName(item.service)))
        return errSecIO;
    return store(item);
}

int Keychain::update(const std::string& service, const KeychainItem& item)
{
    if (!reachable("update an item"))
        return errSecIO;
    const int status = find(service, nullptr);
    if (status != errSecSuccess)
        return status;
    // The new item is stored before the old one goes, so a failed write loses nothing.
    const int stored = store(item);
    if (stored == errSecSuccess && lowered(item.service) != lowered(service))
        remove(service);
    return stored;
}

int Keychain::remove(const std::string& service)
{
    if (!reachable("remove an item"))
        return errSecIO;
    if (!m_folder->remove(itemName(service)))
        return errno == ENOENT ? errSecItemNotFound : errSecIO;
    return errSecSuccess;
}

int Keychain::store(const KeychainItem& item)
{
    if (item.service.empty())
        return errSecParam;
    const nlohmann::json json = {
        {"service", item.service},
        {"description", item.description},
        {"account", item.account},
        {"label", item.label},
        {"accessGroup", item.accessGroup},
        {"data", toHex(item.data)},
    };
    const auto text = JsonDocument::text(json, 2);
    // An item is only ever stored where it can be read back.
    if (text.size() > MostItemBytes) {
        NSLog("keychain: cannot store the item %s: it would be %zu bytes, over the %zu that an item is read up to",
              fileFor(item.service).c_str(), text.size(), MostItemBytes);
        return errSecParam;
    }
    return m_folder->writeWhole(itemName(item.service), text, 0600) ? errSecSuccess : errSecIO;
}
