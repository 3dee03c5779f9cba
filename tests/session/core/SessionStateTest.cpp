#include "database/SqlDatabase.h"
#include "platform/foundation/Paths.h"
#include "platform/security/Keychain.h"
#include "platform/security/VendorIdentifier.h"
#include "session/DataCenter.h"
#include "session/UDIDTools.h"
#include "session/records/UserInfo.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>

namespace {
// Uppercase 8-4-4-4-12 hexadecimal groups, version 4 (random) or 5 (hashed), variant 1. Only a
// text whose every group takes its full width reaches the 36th character.
bool looksLikeUuid(const std::string& text)
{
    int end = 0;
    std::sscanf(text.c_str(), "%*8[0-9A-F]-%*4[0-9A-F]-%*1[45]%*3[0-9A-F]-%*1[89AB]%*3[0-9A-F]-%*12[0-9A-F]"
                              "%n", &end);
    return end == 36 && text.size() == 36;
}
} // namespace

class SessionState : public ::testing::Test {
protected:
    void SetUp() override { DataCenter::resetForTesting(); }
    void TearDown() override
    {
        DataCenter::resetForTesting();
        UDIDTools::setSystemVersion(8.0);
        VendorIdentifier::setMachineIdentityFileForTesting({});
    }
    void machineIdentity(const std::string& text)
    {
        std::ofstream(data.path() / "machine-id") << text;
        VendorIdentifier::setMachineIdentityFileForTesting(data.path() / "machine-id");
    }
    ScopedDataFolder data;
    LogCapture log;
};

TEST_F(SessionState, DeviceIdentifierIsStoredOnceAndKept)
{
    auto first = UDIDTools::UDID();
    ASSERT_TRUE(first);
    EXPECT_TRUE(log.contains("Add KeyChain Item Success!!!"));
    const auto file = Keychain::standard().fileFor(UDIDTools::kService);
    const auto written = std::filesystem::last_write_time(file);
    EXPECT_EQ((std::filesystem::status(file).permissions() & std::filesystem::perms::all),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    // Later launches get the stored value back and write nothing, even though a new per-vendor
    // identifier would differ.
    machineIdentity("0123456789abcdef0123456789abcdef\n");
    EXPECT_NE(UDIDTools::UDID_iOS7(), *first);
    EXPECT_EQ(UDIDTools::UDID(), first);
    EXPECT_EQ(std::filesystem::last_write_time(file), written);
    DataCenter::resetForTesting();
    EXPECT_EQ(DataCenter::sharedInstance().UDID, *first);
}

TEST_F(SessionState, StoringOverAnExistingItemUpdatesIt)
{
    ASSERT_TRUE(UDIDTools::settUDIDToKeyChain("AAAA"));
    ASSERT_TRUE(UDIDTools::settUDIDToKeyChain("BBBB"));
    EXPECT_TRUE(log.contains("Update KeyChain Item Success!!!"));
    EXPECT_EQ(UDIDTools::getUDIDFromKeyChain(), "BBBB");
    EXPECT_FALSE(UDIDTools::settUDIDToKeyChain(""));
    EXPECT_EQ(UDIDTools::getUDIDFromKeyChain(), "BBBB");
    EXPECT_TRUE(UDIDTools::removeUDIDFromKeyChain());
    EXPECT_FALSE(UDIDTools::removeUDIDFromKeyChain());
    EXPECT_FALSE(UDIDTools::updateUDIDInKeyChain("CCCC"));
    EXPECT_FALSE(UDIDTools::getUDIDFromKeyChain());
    EXPECT_TRUE(log.contains("KeyChain Item: UUID not found!!!"));
}

TEST_F(SessionState, NoIdentifierOnAncientSystemsAndNothingStored)
{
    UDIDTools::setSystemVersion(1.0);
    EXPECT_FALSE(UDIDTools::UDID());
    EXPECT_FALSE(UDIDTools::getUDIDFromKeyChain());
}

TEST_F(SessionState, AnEmptyOrUnreadableStoredItemIsReplacedAndTheReplacementKept)
{
    ASSERT_EQ(Keychain::standard().add({UDIDTools::kService, UDIDTools::kService, "", "", "", ""}), errSecSuccess);
    auto first = UDIDTools::UDID();
    ASSERT_TRUE(first);
    EXPECT_EQ(UDIDTools::getUDIDFromKeyChain(), first); // stored over the empty item for the next launch

    // An unreadable item is reported, not trusted, and kept aside when a fresh one replaces it.
    const std::string unreadable = "{\"service\":\"UUID\",\"data\":\"zz\"}";
    std::ofstream(Keychain::standard().fileFor(UDIDTools::kService)) << unreadable;
    EXPECT_FALSE(UDIDTools::getUDIDFromKeyChain());
    EXPECT_TRUE(log.contains("KeyChain Item query Error!!! Error code:-26275"));
    auto udid = UDIDTools::UDID();
    ASSERT_TRUE(udid);
    EXPECT_EQ(UDIDTools::getUDIDFromKeyChain(), udid);
    EXPECT_EQ(readFile(Keychain::standard().fileFor(UDIDTools::kService).string() + ".unreadable"), unreadable);
}

TEST_F(SessionState, TheIdentifierHoldsForTheMachineWhenTheKeychainCannotKeepIt)
{
    std::ofstream(data.path() / "keychain") << "a file where the keychain folder belongs";
    std::set<std::string> seen;
    // Machine identities, and whether one before named the same machine: case does not count,
    // and with no usable identity the one stored fallback serves.
    for (const auto& [identity, known] : std::vector<std::pair<std::string, bool>> {
             {"3d1219c7c4c5404aaa1f6d2a48adfda4\n", false}, {"0123456789abcdef0123456789abcdef", false},
             {"3D1219C7C4C5404AAA1F6D2A48ADFDA4", true}, {"", false}, {"not-an-id", true}}) {
        machineIdentity(identity);
        const auto first = UDIDTools::UDID();
        ASSERT_TRUE(first && looksLikeUuid(*first)) << identity;
        EXPECT_EQ(UDIDTools::UDID(), first) << identity;
        EXPECT_EQ(!seen.insert(*first).second, known) << identity;
    }
}

TEST_F(SessionState, SongLookupOverSQLite)
{
    auto& center = DataCenter::sharedInstance();
    EXPECT_FALSE(center.getSongObjectWithSongId("1001")); // no database: no song, no crash

    auto db = SqlDatabase::databaseWithPath(data.path() / "songs.db");
    ASSERT_TRUE(db->open());
    ASSERT_TRUE(db->executeUpdate("create table OK_SONG (S_Code text, S_NAME text, SR_Num text, SR_Num2 text, "
                                  "S_Singer1 text, S_Singer2 text, L_CODE text, S_CopyDest text)"));
    ASSERT_TRUE(db->executeUpdate("insert into OK_SONG values (?, ?, ?, NULL, ?, NULL, ?, NULL)",
                                  {std::string("1001"), std::string("月亮代表我的心"), std::string("88"),
                                   std::string("邓"), std::string("2")}));
    ASSERT_TRUE(db->executeUpdate("insert into OK_SONG values ('1002', 'x', NULL, NULL, NULL, 'b', '17', 'src')"));
    center.db = db;

    auto song = center.getSongObjectWithSongId("1001");
    ASSERT_TRUE(song);
    EXPECT_EQ(song->songName, "月亮代表我的心");
    EXPECT_EQ(song->singerId1, "88");
    EXPECT_FALSE(song->singerId2); // NULL stays unset
    EXPECT_EQ(song->singerName2, ""); // except the second singer and the source
    EXPECT_EQ(song->songSource, "");
    EXPECT_EQ(song->language, "粤语");
    // Codes outside the table leave the label as it was; 16 is the table's last.
    for (const char* code : {"0", "abc", "-3", "17"}) {
        song->setLanguage(code);
        EXPECT_EQ(song->language, "粤语") << code;
    }
    song->setLanguage("16");
    EXPECT_EQ(song->language, "其他");

    auto other = center.getSongObjectWithSongId("1002");
    ASSERT_TRUE(other);
    EXPECT_FALSE(other->language); // code 17 has no label
    EXPECT_EQ(other->singerName2, "b");
    EXPECT_FALSE(center.getSongObjectWithSongId("9999"));
    EXPECT_FALSE(center.getSongObjectWithSongId("' or 1=1 --"));
}
