#pragma once

#include "platform/foundation/OpenFolder.h"

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
//
// The items' folder (0700) is opened once, as the keychain is made, and reached only through that
// opening. Where it cannot be opened (a link or a file stands in its place), every call fails with
// errSecIO, writes nothing and logs one line why.
//
// An item is a table of text, so a file larger than MostItemBytes, nested deeper than
// JsonDocument::MostLevels or holding more than JsonDocument::MostValues values is not one (it is
// refused before anything is built from it: errSecDecode), and an item that would be larger than
// MostItemBytes is never stored.
class Keychain {
public:
    // An item holds an identifier or a password: a file far larger is not an item.
    static constexpr std::size_t MostItemBytes = 1 << 20;

    // The keychain folder of the current data folder, made when missing.
    static Keychain standard();
    // The folder at path, made when missing; it may be reached through links, but not be one.
    explicit Keychain(const std::filesystem::path& folder);

    int copyMatching(const std::string& service, KeychainItem* item) const;
    // An unreadable item of the same service (errSecDecode) is renamed to "<file>.unreadable", not
    // overwritten.
    // errSecParam, logged with why, for an item too large to be read back.
    int add(const KeychainItem& item);
    // Replaces the stored item's attributes and data; errSecItemNotFound when there is none.
    int update(const std::string& service, const KeychainItem& item);
    int remove(const std::string& service);

    // For messages and tests: the items are reached through the folder held, never by this path.
    std::filesystem::path fileFor(const std::string& service) const;

private:
    explicit Keychain(OpenFolder folder);
    // Whether the folder is open; when it is not, logs why doing cannot be done.
    bool reachable(const char* doing) const;
    int find(const std::string& service, KeychainItem* item) const;
    int store(const KeychainItem& item);
    SharedFolder m_folder;
};
