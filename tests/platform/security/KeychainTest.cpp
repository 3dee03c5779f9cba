#include "platform/security/Keychain.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

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

TEST(Keychain, ServiceNamesStayInsideTheFolder)
{
    ScopedDataFolder data;
    Keychain keychain(data.path() / "kc");
    KeychainItem item {"../../escape", "", "", "", "", "x"};
    ASSERT_EQ(keychain.add(item), errSecSuccess);
    EXPECT_EQ(keychain.fileFor(item.service).parent_path(), data.path() / "kc");
    EXPECT_EQ(keychain.add(KeychainItem {}), errSecParam);
    // An item linked in from elsewhere is not read through its link.
    std::filesystem::create_symlink(keychain.fileFor(item.service), keychain.fileFor("linked"));
    EXPECT_EQ(keychain.copyMatching("linked", &item), errSecIO);
}
