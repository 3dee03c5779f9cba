#include "session/UDIDTools.h"

#include "platform/foundation/Log.h"
#include "platform/security/Keychain.h"
#include "platform/security/VendorIdentifier.h"

#include <cstdio>
#include <cstring>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>

namespace {

double& versionSetting()
{
    static double version = 8.0;
    return version;
}

KeychainItem makeItem(const std::string& udid)
{
    KeychainItem item;
    item.service = UDIDTools::kService;
    item.description = UDIDTools::kService;
    item.accessGroup = "floorpad.shared";
    item.data = udid;
    return item;
}

std::optional<std::string> macOf(const sockaddr* address)
{
    const auto* link = reinterpret_cast<const sockaddr_ll*>(address);
    if (link->sll_halen != 6)
        return std::nullopt;
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", link->sll_addr[0], link->sll_addr[1],
                  link->sll_addr[2], link->sll_addr[3], link->sll_addr[4], link->sll_addr[5]);
    return std::string(text);
}

} // namespace

double UDIDTools::systemVersion()
{
    return versionSetting();
}

void UDIDTools::setSystemVersion(double version)
{
    versionSetting() = version;
}

std::optional<std::string> UDIDTools::UDID()
{
    if (auto stored = getUDIDFromKeyChain())
        return stored;
    std::optional<std::string> udid;
    if (systemVersion() >= 7.0)
        udid = UDID_iOS7();
    else if (systemVersion() >= 2.0)
        udid = UDID_iOS6();
    if (!udid || udid->empty())
        return std::nullopt;
    settUDIDToKeyChain(*udid);
    return udid;
}

std::string UDIDTools::UDID_iOS7()
{
    return VendorIdentifier::identifierForVendor();
}

std::optional<std::string> UDIDTools::UDID_iOS6()
{
    return getMacAddress();
}

std::optional<std::string> UDIDTools::getMacAddress(const std::string& interfaceName)
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        NSLog("Error: %s", "interface list failure");
        return std::nullopt;
    }
    std::optional<std::string> named, fallback;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET || (entry->ifa_flags & IFF_LOOPBACK))
            continue;
        auto mac = macOf(entry->ifa_addr);
        if (!mac)
            continue;
        if (interfaceName == entry->ifa_name)
            named = mac;
        else if (!fallback)
            fallback = mac;
    }
    freeifaddrs(list);
    auto result = named ? named : fallback;
    if (!result) {
        NSLog("Error: %s", "no interface with a hardware address");
        return std::nullopt;
    }
    NSLog("Mac Address: %s", result->c_str());
    return result;
}

std::optional<std::string> UDIDTools::getUDIDFromKeyChain()
{
    KeychainItem item;
    const int status = Keychain::standard().copyMatching(kService, &item);
    if (status == errSecItemNotFound) {
        NSLog("KeyChain Item: %s not found!!!", kService);
        return std::nullopt;
    }
    if (status != errSecSuccess) {
        NSLog("KeyChain Item query Error!!! Error code:%ld", static_cast<long>(status));
        return std::nullopt;
    }
    NSLog("KeyChain Item: %s", item.data.c_str());
    if (item.data.empty())
        return std::nullopt;
    return item.data;
}

bool UDIDTools::settUDIDToKeyChain(const std::string& udid)
{
    if (udid.empty())
        return false; // no identifier is better than an empty one stored for good
    // An item that is there but unreadable or empty is updated too: adding beside it would fail.
    if (Keychain::standard().copyMatching(kService, nullptr) != errSecItemNotFound)
        return updateUDIDInKeyChain(udid) || Keychain::standard().add(makeItem(udid)) == errSecSuccess;
    const int status = Keychain::standard().add(makeItem(udid));
    if (status != errSecSuccess) {
        NSLog("Add KeyChain Item Error!!! Error Code:%ld", static_cast<long>(status));
        return false;
    }
    NSLog("Add KeyChain Item Success!!!");
    return true;
}

bool UDIDTools::updateUDIDInKeyChain(const std::string& udid)
{
    auto keychain = Keychain::standard();
    KeychainItem item;
    if (keychain.copyMatching(kService, &item) != errSecSuccess)
        return false;
    item.description = kService;
    item.service = kService;
    item.data = udid;
    const int status = keychain.update(kService, item);
    if (status != errSecSuccess) {
        NSLog("Update KeyChain Item Error!!! Error Code:%ld", static_cast<long>(status));
        return false;
    }
    NSLog("Update KeyChain Item Success!!!");
    return true;
}

bool UDIDTools::removeUDIDFromKeyChain()
{
    const int status = Keychain::standard().remove(kService);
    if (status != errSecSuccess) {
        NSLog("delete UUID from KeyChain Error!!! Error code:%ld", static_cast<long>(status));
        return false;
    }
    NSLog("delete success!!!");
    return true;
}
