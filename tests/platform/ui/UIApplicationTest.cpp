#include "ApplicationFixture.h"
#include "platform/foundation/MainThread.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/MemoryWarningMonitor.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/UIWindow.h"

#include <chrono>
#include <thread>

namespace {
class ScriptedController : public UIViewController {
public:
    std::vector<std::string>* log;
    explicit ScriptedController(std::vector<std::string>* l) : log(l) {}
    void viewDidLoad() override { log->push_back("load"); }
    void viewWillAppear(bool) override { log->push_back("will appear"); }
    void viewDidAppear(bool) override { log->push_back("did appear"); }
    void viewWillDisappear(bool) override { log->push_back("will disappear"); }
    void viewDidDisappear(bool) override { log->push_back("did disappear"); }
    void viewDidLayoutSubviews() override { log->push_back("laid out"); }
};
} // namespace

TEST_F(ApplicationTest, WindowsByLevelAndTheKeyWindow)
{
    auto& app = UIApplication::sharedApplication();
    auto main = UIWindow::create(UIScreen::mainScreen().bounds());
    auto overlay = UIWindow::create(UIScreen::mainScreen().bounds());
    overlay->setWindowLevel(UIWindowLevelStatusBar);
    EXPECT_TRUE(app.windows().empty()); // windows start hidden

    overlay->setHidden(false);
    main->makeKeyAndVisible();
    EXPECT_EQ(app.windows().size(), 2u); // their order by level shows in the screen's picture
    EXPECT_EQ(app.keyWindow(), main);
    EXPECT_TRUE(main->isKeyWindow());

    main->setHidden(true);
    EXPECT_EQ(app.keyWindow(), nullptr);
    EXPECT_EQ(app.windows(), std::vector<std::shared_ptr<UIWindow>> {overlay});
}

TEST_F(ApplicationTest, StatusBarFrameFollowsOrientationAndHeightWithNotifications)
{
    auto& app = UIApplication::sharedApplication();
    std::vector<std::string> seen;
    auto token = NotificationCenter::defaultCenter().addObserver("", [&](const Notification& n) {
        if (n.name.find("StatusBarFrame") == std::string::npos)
            return seen.push_back(n.name);
        const CGRect r = std::any_cast<CGRect>(n.userInfo.at(UIApplicationStatusBarFrameUserInfoKey));
        seen.push_back(n.name + " " + std::to_string(int(r.size.width)) + "x" + std::to_string(int(r.size.height)));
    });
    app.setStatusBarOrientation(UIInterfaceOrientation::Portrait);
    EXPECT_EQ(app.statusBarFrame(), CGRectMake(0, 0, 768, 20));
    EXPECT_EQ(UIScreen::mainScreen().bounds(), CGRectMake(0, 0, 768, 1024));
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], UIApplicationWillChangeStatusBarOrientationNotification);
    EXPECT_EQ(seen[1], UIApplicationWillChangeStatusBarFrameNotification + " 768x20");
    EXPECT_EQ(seen[2], UIApplicationDidChangeStatusBarFrameNotification + " 1024x20");
    EXPECT_EQ(seen[3], UIApplicationDidChangeStatusBarOrientationNotification);

    // A new height is announced where the status strip follows it; the same height is not.
    app.setStatusBarHeight(40);
    seen.clear();
    app.setStatusBarHeight(40);
    app.setStatusBarHeight(NAN);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(app.statusBarFrame().size.height, 40);
}

TEST_F(ApplicationTest, ControllersLoadOnceAndHearAppearance)
{
    std::vector<std::string> log;
    auto controller = std::make_shared<ScriptedController>(&log);
    auto window = UIWindow::create(CGRectMake(0, 0, 1024, 768));
    window->setRootViewController(controller); // hidden window: loaded, not shown
    EXPECT_EQ(log, std::vector<std::string> {"load"});
    EXPECT_EQ(controller->view()->frame(), CGRectMake(0, 0, 1024, 768));
    EXPECT_EQ(controller->view()->superview(), window.get());

    window->makeKeyAndVisible();
    window->makeKeyAndVisible(); // already showing: no second appearance
    window->layoutIfNeeded();
    EXPECT_EQ(log, (std::vector<std::string> {"load", "will appear", "did appear", "laid out"}));

    log.clear();
    window->setRootViewController(nullptr);
    EXPECT_EQ(log, (std::vector<std::string> {"will disappear", "did disappear"}));
    EXPECT_TRUE(window->subviews().empty());
}

// Leaving, the program gives work that asked for time a bounded wait: a task handed back from
// another thread ends in time, one that never ends is expired when the time is up.
TEST_F(ApplicationTest, QuittingWaitsBoundedlyForBackgroundTasks)
{
    auto& app = UIApplication::sharedApplication();
    std::vector<std::string> seen;
    auto token = NotificationCenter::defaultCenter().addObserver("", [&](const Notification& n) { seen.push_back(n.name); });
    bool quickExpired = false, stuckExpired = false;
    const auto quick = app.beginBackgroundTask([&] { quickExpired = true; });
    std::thread worker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        MainThread::async([&] { app.endBackgroundTask(quick); });
    });
    app.beginBackgroundTask([&] { stuckExpired = true; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(app.quit(0.5));
    const std::chrono::duration<double> waited = std::chrono::steady_clock::now() - start;
    worker.join();
    EXPECT_FALSE(quickExpired);
    EXPECT_TRUE(stuckExpired);
    EXPECT_EQ(app.backgroundTaskCount(), 0u);
    EXPECT_GE(waited.count(), 0.5);
    EXPECT_LT(waited.count(), 5);
    EXPECT_EQ(seen, (std::vector {UIApplicationWillResignActiveNotification, UIApplicationDidEnterBackgroundNotification,
                                  UIApplicationWillTerminateNotification}));
}

// Readings taken by the monitor's timer, one a second, and the warnings received after each,
// with the thresholds the program's monitor has: over 1 GB held or under 256 MB left.
TEST_F(ApplicationTest, MemoryWarningsComeWhenMemoryRunsShortThenRestForAWhile)
{
    constexpr std::uint64_t MB = 1 << 20;
    const auto clock = std::make_shared<ManualClock>();
    RunLoop loop(clock);
    MemoryWarningMonitor::Readings readings;
    MemoryWarningMonitor monitor([&] { return readings; }, {}, loop);
    int warnings = 0;
    auto token = NotificationCenter::defaultCenter().addObserver(UIApplicationDidReceiveMemoryWarningNotification,
                                                                 [&](const Notification&) { ++warnings; });
    monitor.start();
    monitor.start();
    loop.runOnce();
    const struct {
        std::uint64_t resident, available;
        TimeInterval wait;
        int warnings;
    } steps[] = {
        {1024 * MB, 257 * MB, 1, 0}, {0, 0, 1, 0},                 // at the edges, then nothing readable
        {1025 * MB, 4000 * MB, 1, 1}, {1500 * MB, 4000 * MB, 9, 1}, // the process grew: once, then a rest
        {100 * MB, 255 * MB, 1, 2},   {100 * MB, 255 * MB, 1, 2},   // the machine is short
        {100 * MB, 4000 * MB, 20, 2},
    };
    for (const auto& step : steps) {
        readings = {step.resident, step.available};
        for (TimeInterval waited = 0; waited < step.wait; ++waited) {
            clock->advance(1);
            loop.runOnce();
        }
        EXPECT_EQ(warnings, step.warnings) << step.resident / MB << " MB held, " << step.available / MB << " MB left";
    }
}
