#include "app/AppDelegate.h"
#include "platform/capture/AVCaptureSession.h"
#include "platform/capture/FrameSource.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>

class AppDelegateTest : public ::testing::Test {
protected:
    void TearDown() override { Paths::setResourcesFolder(std::nullopt); }
    void writeSettings(const std::string& specifiers)
    {
        Paths::setResourcesFolder(data.path() / "res");
        ASSERT_TRUE(writeFileAtomically(data.path() / "res" / "Settings.bundle" / "Root.plist",
                                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                                        "<key>PreferenceSpecifiers</key><array>"
                                            + specifiers + "</array></dict></plist>"));
    }
    ScopedDataFolder data;
};

TEST_F(AppDelegateTest, EntriesWithoutKeyOrDefaultAreSkippedAndLaterOnesWin)
{
    writeSettings("<dict><key>Type</key><string>PSGroupSpecifier</string><key>Title</key><string>t</string></dict>"
                  "<dict><key>Key</key><string>Server_Ip</string><key>DefaultValue</key><string>1.1.1.1</string></dict>"
                  "<dict><key>Key</key><string>Server_Ip</string><key>DefaultValue</key><string>2.2.2.2</string></dict>"
                  "<dict><key>Key</key><string>web_server</string></dict>"
                  "<dict><key>Key</key><string>Server_Port</string><key>DefaultValue</key><integer>9100</integer></dict>"
                  "<dict><key>Key</key><string>Name</string><key>DefaultValue</key><string>服务器</string></dict>"
                  "<dict><key>Key</key><string>b</string><key>DefaultValue</key><true/></dict>");
    AppDelegate delegate;
    auto registered = delegate.registerDefaultsFromSettingsBundle();
    EXPECT_EQ(registered.size(), 4u);
    auto& defaults = UserDefaults::standard();
    EXPECT_EQ(defaults.stringForKey("Server_Ip"), "2.2.2.2");
    EXPECT_EQ(defaults.stringForKey("Name"), "服务器");
    EXPECT_TRUE(defaults.boolForKey("b"));
    EXPECT_FALSE(defaults.objectForKey("web_server"));
    EXPECT_EQ(defaults.integerForKey("Server_Port"), 9100);
}

TEST_F(AppDelegateTest, MissingOrUnreadableBundleRegistersNothing)
{
    AppDelegate delegate;
    Paths::setResourcesFolder(data.path() / "empty");
    EXPECT_TRUE(delegate.registerDefaultsFromSettingsBundle().empty());
    ASSERT_TRUE(writeFileAtomically(data.path() / "empty" / "Settings.bundle" / "Root.plist", "garbage"));
    EXPECT_TRUE(delegate.registerDefaultsFromSettingsBundle().empty());
    EXPECT_FALSE(UserDefaults::standard().stringForKey("Server_Port"));
}

// The scan screen may be open as the program quits: its camera stops as the application terminates.
TEST_F(AppDelegateTest, TerminatingStopsTheCameraLeftRunning)
{
    std::atomic<int> frames {0};
    auto session = AVCaptureSession::create();
    session->addInput(AVCaptureDeviceInput::deviceInputWithDevice(AVCaptureDevice::create(
        std::make_shared<RenderedFrameSource>([&]() -> UIImagePtr { ++frames; return nullptr; }, 0.001))));
    session->startRunning();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return frames > 0; }, 5));
    auto& application = UIApplication::sharedApplication();
    application.setDelegate(std::make_shared<AppDelegate>());
    application.quit(0);
    application.setDelegate(nullptr);
    EXPECT_FALSE(session->isRunning());
    const int seen = frames;
    RunLoop::main().runUntil([] { return false; }, 0.05);
    EXPECT_EQ(frames, seen);
    RunLoop::main().reset();
}
