#include "platform/foundation/Paths.h"
#include "platform/security/VendorIdentifier.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

// With no machine identity, what someone planted where the stored identifier belongs is not
// taken for it: neither another identifier linked in, nor a named pipe, which would hold the
// program at launch. A fresh identifier is stored in its place. Each try runs in a child
// process, so that one stuck on the pipe fails instead of hanging.
TEST(VendorIdentifier, StoredIdentifierIsReadOnlyFromAFileOfItsOwn)
{
    ScopedDataFolder data;
    VendorIdentifier::setMachineIdentityFileForTesting(data.path() / "no-machine-id");
    const std::string planted = "01234567-89AB-4CDE-8F01-23456789ABCD";
    ASSERT_TRUE(writeFileAtomically(data.path() / "planted", planted));
    const auto file = data.path() / "vendor-identifier";
    for (const bool link : {true, false}) {
        std::filesystem::remove(file);
        ASSERT_EQ(link ? ::symlink("planted", file.c_str()) : ::mkfifo(file.c_str(), 0600), 0);
        const int fresh = ChildProcess::run([] { return true; }, [&] {
            const auto identifier = VendorIdentifier::identifierForVendor();
            return identifier.size() == 36 && identifier != planted && readStoredFile(file, 64) == identifier;
        }, 5);
        EXPECT_EQ(fresh, 1) << (link ? "link" : "pipe");
    }
    VendorIdentifier::setMachineIdentityFileForTesting({});
}
