#pragma once

#include "tests/rooms/ScreenTestSupport.h"

#include "kit/KeypadAlertView.h"
#include "kit/UIColorQN.h"
#include "kit/ShadowLabel.h"
#include "kit/grid/GridView.h"
#include "platform/foundation/NSTimer.h"
#include "platform/ui/UIButton.h"
#include "platform/ui/UIPopoverController.h"
#include "platform/ui/UISegmentedControl.h"
#include "platform/ui/UITableView.h"
#include "platform/ui/UITableViewCell.h"
#include "rooms/RoomInfoViewController.h"
#include "rooms/RoomStateCell.h"
#include "rooms/RoomStatesViewController.h"

// The floor on a manual clock: replies come over real loopback sockets, timers and animations
// move only as the test advances the clock.
class RoomFloorTest : public ScreenTest {
protected:
    std::shared_ptr<RoomStatesViewController> openFloor(const std::string& checkInMode = "1")
    {
        startServer({}, "1", "0", checkInMode); // bound to the hall without a login
        launch();
        std::shared_ptr<RoomStatesViewController> floor;
        advanceUntil([&] {
            floor = std::dynamic_pointer_cast<RoomStatesViewController>(ScreenInFront::visibleController());
            return floor && !floor->HUD() && floor->appearance() == UIViewController::Appearance::Appeared;
        });
        return floor;
    }
    // Runs the main loop, moving the manual clock on a little each pass, until done or 5 s of
    // real time have passed.
    bool advanceUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            RunLoop::main().runOnce(RunLoopModes::Default, 0.005);
            clock.clock().advance(0.01);
        }
        return true;
    }
    void advance(double seconds) { clock.advance(seconds, 0.05); }
    bool waitForLog(const std::string& fragment, std::size_t count = 1)
    {
        return advanceUntil([&] { return logged(fragment) >= count; });
    }
    static std::int64_t indexOfRoomIn(std::int64_t state)
    {
        const auto& rooms = SocketDataHandle::sharedInstance().tempRoomArray;
        for (std::size_t i = 0; i < rooms.size(); ++i)
            if (rooms[i]->MyRoomState == state)
                return static_cast<std::int64_t>(i);
        return -1;
    }
    // Types the digits on the keypad dialog in front and confirms; its title, or "none".
    static std::string answerKeypad(const std::string& digits)
    {
        std::shared_ptr<KeypadAlertView> dialog;
        for (const auto& window : UIApplication::sharedApplication().windows())
            for (const auto& view : window->subviews())
                if (auto found = std::dynamic_pointer_cast<KeypadAlertView>(view))
                    dialog = found;
        if (!dialog)
            return "none";
        for (char digit : digits)
            dialog->digitKey(digit - '0')->tap();
        dialog->okKey()->tap();
        return dialog->title()->text();
    }
    static std::string alertMessage()
    {
        auto alert = UIApplication::sharedApplication().topAlert();
        return alert ? alert->message().value_or("") : "(no alert)";
    }
    // A screen of room A01 by itself in the window, linked to a server started here.
    template <class Screen>
    std::shared_ptr<Screen> showRoomScreen()
    {
        startServer({}, "1");
        DataCenter::sharedInstance().roomNo = "A01";
        DataCenter::sharedInstance().clerkNo = "8805";
        auto screen = std::make_shared<Screen>();
        launch(screen);
        ServerNetworkCenter::sharedInstance().initConnect();
        EXPECT_TRUE(advanceUntil([&] {
            return ServerNetworkCenter::sharedInstance().isConnect() && screen->appearance() == UIViewController::Appearance::Appeared;
        }));
        return screen;
    }
    // The titles of the action rows of the details, top to bottom.
    static std::vector<std::string> actionTitles(RoomInfoViewController& details)
    {
        std::vector<std::string> titles;
        auto table = details.tableView();
        table->layoutIfNeeded();
        for (int section = 0; section < table->numberOfSections(); ++section) {
            auto cell = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRowInSection(0, section));
            if (cell && cell->reuseIdentifier() != "DetailTextCell")
                titles.push_back(cell->textLabel()->text());
        }
        return titles;
    }

    ManualMainClock clock;
};
