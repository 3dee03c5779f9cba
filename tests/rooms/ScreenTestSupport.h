#pragma once

#include "app/ApplicationInterfaceClasses.h"
#include "billing/BillViewController.h"
#include "kit/AlertViewReplyAlertDisplay.h"
#include "kit/StatusBarNotification.h"
#include "kit/StatusStripConnectionDisplay.h"
#include "ordering/OrderViewController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/ScreenInFront.h"
#include "platform/ui/UIAlertView.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/UIStoryboard.h"
#include "platform/ui/UIWindow.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"
#include "session/SocketDataHandle.h"
#include "tests/support/ScreenPictures.h"
#include "tests/support/TestEnvironment.h"
#include "tools/venue-sim/VenueServer.h"
#include "tools/venue-sim/VenueServerThread.h"
#include "wine/StoreWineViewController.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

// The program's screens in a window, against the venue server on loopback: what the program
// sets up at launch, undone after each test.
class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerApplicationInterfaceClasses();
        SocketDataHandle::sharedInstance().setStatusDisplay(&StatusStripConnectionDisplay::shared());
        SocketDataHandle::sharedInstance().setAlertDisplay(&AlertViewReplyAlertDisplay::shared());
    }
    void TearDown() override
    {
        window.reset();
        ServerNetworkCenter::resetForTesting();
        SocketDataHandle::resetForTesting();
        DataCenter::resetForTesting();
        StatusBarNotification::resetSharedInstanceForTesting();
        UIApplication::sharedApplication().resetForTesting();
        RunLoop::main().reset();
        server.reset();
    }

    // A server over the shipped venue, with the given binding modes.
    void startServer(VenueServerOptions options = {}, const std::string& boundType = "0",
                     const std::string& loginMode = "0", const std::string& checkInMode = "")
    {
        std::string error;
        auto venue = VenueData::fromFile(VenueData::defaultFile(), error);
        ASSERT_TRUE(venue) << error;
        venue->binding().boundType = boundType;
        venue->binding().loginMode = loginMode;
        if (!checkInMode.empty())
            venue->binding().checkInRoomMode = checkInMode;
        options.drift = false;
        server = std::make_unique<VenueServerThread>(std::move(*venue), options);
        ASSERT_TRUE(server->running()) << server->error();
        pointAt(server->port());
    }
    static void pointAt(std::uint16_t port)
    {
        UserDefaults::standard().setObject("Server_Ip", "127.0.0.1");
        UserDefaults::standard().setObject("Server_Port", std::to_string(port));
    }
    // The given screen, or the main storyboard's first, in a key window as at launch.
    void launch(std::shared_ptr<UIViewController> root = nullptr)
    {
        window = UIWindow::create(UIScreen::mainScreen().bounds());
        if (!root)
            root = UIStoryboard::storyboardWithName("Storyboard_Main")
                       ->instantiateInitialViewController();
        ASSERT_TRUE(root);
        window->setRootViewController(root);
        window->makeKeyAndVisible();
    }
    template <class Screen>
    std::shared_ptr<Screen> waitForScreen(double seconds = 5.0)
    {
        std::shared_ptr<Screen> screen;
        RunLoop::main().runUntil(
            [&] { return (screen = std::dynamic_pointer_cast<Screen>(ScreenInFront::visibleController())) != nullptr; },
            seconds);
        return screen;
    }
    std::shared_ptr<UIAlertView> waitForAlert(double seconds = 5.0)
    {
        RunLoop::main().runUntil([] { return UIApplication::sharedApplication().topAlert() != nullptr; }, seconds);
        return UIApplication::sharedApplication().topAlert();
    }
    // Runs the main loop (which writes the requests) until the server has logged the fragment.
    bool waitForRequest(const std::string& fragment, double seconds = 3.0)
    {
        return RunLoop::main().runUntil([&] { return logged(fragment) > 0; }, seconds);
    }
    std::size_t logged(const std::string& fragment) const
    {
        const auto lines = server->logLines();
        return static_cast<std::size_t>(
            std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(fragment) != std::string::npos; }));
    }

    ScopedDataFolder data;
    LogCapture log;
    std::unique_ptr<VenueServerThread> server;
    std::shared_ptr<UIWindow> window;
};
