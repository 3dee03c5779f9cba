#pragma once

#include <filesystem>
#include <string>

// The keychain's status codes that callers test for.
enum KeychainStatus : int {
    errSecSuccess = 0,
    errSecIO = -36,
    errSecParam = -50,
    errSecDuplicateItem = -25299,
    errSecItemNotFound = -25300,
    errSecDecode = -26275,
};

// One generic-password item. `service` is the generic attribute by which it is found.
struct KeychainItem {
    std::string service;
    std::string description;
    std::string account;
    std::string label;
    std::string accessGroup;
    std::string data; // raw bytes
};

// Generic-password items kept one per service in a file readable by the owner alone (0600),
// replaced atomically on every change. Services match without regard to case. Anything but a
// file in an item's place (a link, a named pipe) is no item, and storing one replaces it.
class Keychain {
public:
    // The keychain under the current data folder.
    static Keychain standard();
    explicit Keychain(std::filesystem::path folder);

    int copyMatching(const std::string& service, KeychainItem* item) const;
    // An unreadable item of the same service is renamed to "<file>.unreadable", not overwritten.
    int add(const KeychainItem& item);
    // Replaces the stored item's attributes and data; errSecItemNotFound when there is none.
    int update(const std::string& service, const KeychainItem& item);
    int remove(const std::string& service);

    std::filesystem::path fileFor(const std::string& service) const;

private:
    int store(const KeychainItem& item);
    std::filesystem::path m_folder;
};
