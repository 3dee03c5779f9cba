#include "platform/foundation/Paths.h"
#include "platform/security/Keychain.h"
#include "platform/security/VendorIdentifier.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/HeapPeak.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <tuple>

TEST(Keychain, AddFindUpdateRemove)
{
    ScopedDataFolder data;
    Keychain keychain(data.path() / "kc");
    KeychainItem found;
    EXPECT_EQ(keychain.copyMatching("UUID", &found), errSecItemNotFound);

    KeychainItem item {"UUID", "UUID", "", "", "group", std::string("id\0with nul", 11)};
    EXPECT_EQ(keychain.add(item), errSecSuccess);
    EXPECT_EQ(keychain.add(item), errSecDuplicateItem);
    ASSERT_EQ(keychain.copyMatching("uuid", &found), errSecSuccess); // case-insensitive
    EXPECT_EQ(found.data, item.data);
    EXPECT_EQ(found.accessGroup, "group");

    item.data = "new";
    EXPECT_EQ(keychain.update("UUID", item), errSecSuccess);
    ASSERT_EQ(keychain.copyMatching("UUID", &found), errSecSuccess);
    EXPECT_EQ(found.data, "new");
    // A failed update keeps the old item.
    EXPECT_EQ(keychain.update("UUID", {"", "", "", "", "", "newer"}), errSecParam); // no service to store under
    ASSERT_EQ(keychain.copyMatching("UUID", &found), errSecSuccess);
    EXPECT_EQ(found.data, "new");

    EXPECT_EQ(keychain.remove("UUID"), errSecSuccess);
    EXPECT_EQ(keychain.remove("UUID"), errSecItemNotFound);
    EXPECT_EQ(keychain.update("UUID", item), errSecItemNotFound);
}

TEST(Keychain, ItemsStayInTheirFolderAndReplaceWhatWasPlantedThere)
{
    ScopedDataFolder data;
    Keychain keychain(data.path() / "kc");
    KeychainItem item {"../../escape", "", "", "", "", "x"};
    ASSERT_EQ(keychain.add(item), errSecSuccess);
    EXPECT_EQ(keychain.fileFor(item.service).parent_path(), data.path() / "kc");
    EXPECT_EQ(keychain.add(KeychainItem {}), errSecParam);
    // What someone planted in an item's place holds no item, and storing the item replaces it:
    // another item linked in is not read through its link, a named pipe is not waited on.
    std::filesystem::create_symlink(keychain.fileFor(item.service), keychain.fileFor("linked"));
    ASSERT_EQ(::mkfifo(keychain.fileFor("piped").c_str(), 0600), 0);
    for (const std::string service : {"linked", "piped"}) {
        EXPECT_EQ(keychain.copyMatching(service, &item), errSecItemNotFound) << service;
        EXPECT_EQ(keychain.update(service, {service, "", "", "", "", "y"}), errSecItemNotFound) << service;
        EXPECT_EQ(keychain.add({service, "", "", "", "", service}), errSecSuccess) << service;
        ASSERT_EQ(keychain.copyMatching(service, &item), errSecSuccess) << service;
        EXPECT_EQ(item.data, service);
    }
    ASSERT_EQ(keychain.copyMatching("../../escape", &item), errSecSuccess);
    EXPECT_EQ(item.data, "x");
}

// A link where the keychain folder belongs is not followed, whether the keychain is the data
// folder's or named by its path: the user's folder it leads to keeps its mode and contents, the
// store fails, and the log tells why in one line.
TEST(Keychain, AKeychainFolderThatIsALinkIsLeftAsItIs)
{
    ScopedDataFolder data;
    const auto user = data.path() / "user";
    ASSERT_EQ(::mkdir(user.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(user.c_str(), 0755), 0);
    ASSERT_TRUE(writeFileAtomically(user / "notes.txt", "mine"));
    std::filesystem::create_directory_symlink(user, data.path() / "keychain");
    for (const bool standard : {true, false}) {
        LogCapture log;
        auto keychain = standard ? Keychain::standard() : Keychain(data.path() / "keychain");
        EXPECT_EQ(keychain.add({"UUID", "", "", "", "", "id"}), errSecIO) << standard;
        EXPECT_EQ(log.lines().size(), 1u) << standard;
        EXPECT_TRUE(log.contains("keychain") && log.contains("link")) << standard;
        struct stat info {};
        ASSERT_EQ(::stat(user.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0755u) << standard;
        EXPECT_EQ(namesIn(user), (std::set<std::string> {"notes.txt"})) << standard;
        EXPECT_EQ(readFile(user / "notes.txt"), "mine");
    }
}

// With no machine identity, what was planted where the stored identifier belongs is not taken
// for it (another identifier linked in, a named pipe that would hold the launch) but replaced by a
// fresh one; in a child process, so that a read stuck on the pipe fails instead of hanging.
TEST(VendorIdentifier, StoredIdentifierIsReadOnlyFromAFileOfItsOwn)
{
    ScopedDataFolder data;
    const std::string planted = "01234567-89AB-4CDE-8F01-23456789ABCD";
    ASSERT_TRUE(writeFileAtomically(data.path() / "planted", planted));
    const auto file = data.path() / "vendor-identifier";
    for (const bool link : {true, false}) {
        std::filesystem::remove(file);
        ASSERT_EQ(link ? ::symlink("planted", file.c_str()) : ::mkfifo(file.c_str(), 0600), 0);
        EXPECT_EQ(ChildProcess::run([] { return true; }, [&] {
            VendorIdentifier::setMachineIdentityFileForTesting(data.path() / "none");
            const auto identifier = VendorIdentifier::identifierForVendor();
            return identifier.size() == 36 && identifier != planted && readStoredFile(file, 64) == identifier;
        }, 5), 1) << (link ? "link" : "pipe");
    }
}

// The identifier is kept in the data folder held since it was first opened: a folder put at its
// path later, by whoever may rename there, never receives it.
TEST(VendorIdentifier, StoredIdentifierGoesToTheDataFolderHeldSinceItWasOpened)
{
    ScopedDataFolder data;
    ASSERT_TRUE(Paths::openDataFolder()->isOpen());
    const std::filesystem::path moved = data.path().string() + ".moved";
    std::filesystem::rename(data.path(), moved);
    std::filesystem::create_directories(data.path());
    VendorIdentifier::setMachineIdentityFileForTesting(moved / "none");
    const auto identifier = VendorIdentifier::identifierForVendor();
    VendorIdentifier::setMachineIdentityFileForTesting({});
    const auto names = namesIn(data.path());
    const auto kept = readStoredFile(moved / "vendor-identifier", 64);
    std::filesystem::remove_all(moved);
    EXPECT_EQ(identifier.size(), 36u);
    EXPECT_EQ(kept, identifier);
    EXPECT_TRUE(names.empty());
}

// An item is stored only where it can be read back, and a file nested too deeply is no item: it is
// set aside, unread beyond its depth, when the item is stored again.
TEST(Keychain, StoresOnlyWhatItCanReadBack)
{
    ScopedDataFolder data;
    Keychain keychain(data.path() / "kc");
    const std::string deep = R"({"service": "UUID", "data": "6964", "x": )" + std::string(100000, '[')
        + std::string(100000, ']') + "}";
    ASSERT_TRUE(writeFileAtomically(keychain.fileFor("UUID"), deep));
    EXPECT_EQ(keychain.copyMatching("UUID", nullptr), errSecDecode);
    EXPECT_EQ(keychain.add({"UUID", "", "", "", "", "id"}), errSecSuccess);
    EXPECT_EQ(readFile(keychain.fileFor("UUID").string() + ".unreadable"), deep);

    LogCapture log;
    const KeychainItem large {"UUID", "", "", "", "", std::string(Keychain::MostItemBytes / 2, 'x')};
    EXPECT_EQ(keychain.update("UUID", large), errSecParam);
    EXPECT_EQ(keychain.add({"other", "", "", "", "", large.data}), errSecParam);
    EXPECT_TRUE(log.contains("keychain: cannot store the item " + keychain.fileFor("other").string() + ": it would be "));
    KeychainItem found;
    ASSERT_EQ(keychain.copyMatching("UUID", &found), errSecSuccess);
    EXPECT_EQ(found.data, "id");
    EXPECT_EQ(keychain.copyMatching("other", nullptr), errSecItemNotFound);
}

// An item larger than an item is read up to is what it holds, not a failure to reach it: it reads
// as unreadable, and is set aside whole when its service is stored again, rather than failing that
// store at every run.
TEST(Keychain, AnItemTooLargeToReadIsSetAsideWhenItsServiceIsStored)
{
    ScopedDataFolder data;
    Keychain keychain(data.path() / "kc");
    const std::string large = R"({"service": "UUID", "data": ")" + std::string(Keychain::MostItemBytes, '6') + R"("})";
    ASSERT_TRUE(writeFileAtomically(keychain.fileFor("UUID"), large));
    EXPECT_EQ(keychain.copyMatching("UUID", nullptr), errSecDecode);
    EXPECT_EQ(keychain.add({"UUID", "", "", "", "", "id"}), errSecSuccess);
    EXPECT_EQ(readFile(keychain.fileFor("UUID").string() + ".unreadable"), large);
    KeychainItem found;
    ASSERT_EQ(keychain.copyMatching("UUID", &found), errSecSuccess);
    EXPECT_EQ(found.data, "id");
}

// What an item costs a run follows from its bounds, whatever its shape: the largest item readable
// holds no more than 6 MiB at once while it is read, and one of more values than it may hold
// little more than its bytes. Measured in a child, so that no other thread's work counts.
TEST(Keychain, AnItemCostsNoMoreThanItsBoundsAllow)
{
    if (!HeapPeak::available())
        GTEST_SKIP() << "the heap's peak is heard of only under a sanitizer";
    ScopedDataFolder data;
    Keychain keychain(data.path() / "kc");
    std::string tables = "[{}";
    while (tables.size() < Keychain::MostItemBytes - 3)
        tables += ",{}";
    const std::tuple<std::string, int, std::size_t> rows[] = {
        {R"({"service": "UUID", "data": ")" + std::string(Keychain::MostItemBytes - 40, '6') + R"("})", errSecSuccess,
         6 << 20},
        {tables + "]", errSecDecode, Keychain::MostItemBytes + (256 << 10)},
    };
    constexpr int NotFound = 1, TooMuchHeld = 2;
    for (const auto& [item, expected, most] : rows) {
        ASSERT_TRUE(writeFileAtomically(keychain.fileFor("UUID"), item));
        const int status = ChildProcess::run([] { return true; }, [&] {
            HeapPeak::start();
            const int found = keychain.copyMatching("UUID", nullptr);
            return HeapPeak::stop() > most ? TooMuchHeld : found != expected ? NotFound : 0;
        });
        EXPECT_EQ(status, 0) << expected << (status == TooMuchHeld ? ": held more than " + std::to_string(most) : "");
    }
}
