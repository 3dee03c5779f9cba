#pragma once

#include <optional>
#include <string>

// The identifier by which the venue server binds this device to the hall. It is made once
// (the vendor identifier, or on very old systems the hardware address) and kept in the
// keychain; both sources are stable for the machine, so it stays the same across launches even
// when the keychain cannot be written.
class UDIDTools {
public:
    static constexpr const char* kService = "UUID";

    static std::optional<std::string> UDID();
    // The per-vendor identifier in uppercase UUID text form.
    static std::string UDID_iOS7();
    static std::optional<std::string> UDID_iOS6();
    // The hardware address of the named interface (or, when it does not exist, of the first
    // interface that has one) as "%02X:%02X:%02X:%02X:%02X:%02X".
    static std::optional<std::string> getMacAddress(const std::string& interfaceName = "en0");
    static std::optional<std::string> getUDIDFromKeyChain();
    static bool settUDIDToKeyChain(const std::string& udid);
    static bool updateUDIDInKeyChain(const std::string& udid);
    static bool removeUDIDFromKeyChain();

    // The system version the identifier's form is chosen by; tests lower it.
    static double systemVersion();
    static void setSystemVersion(double version);
};
