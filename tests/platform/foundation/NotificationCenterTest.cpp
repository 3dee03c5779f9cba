#include "platform/foundation/NotificationCenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

TEST(NotificationCenter, DeliversByNameAndSenderWithUserInfo)
{
    NotificationCenter center;
    int sender = 0, other = 0;
    std::vector<std::string> got;
    auto all = center.addObserver("getDataFromCenter", [&](const Notification& n) {
        got.push_back("all:" + n.stringForKey("code") + "/" + n.stringForKey("detail"));
    });
    auto mine = center.addObserver("getDataFromCenter", [&](const Notification&) { got.push_back("mine"); }, &sender);
    center.post("getDataFromCenter", &other, {{"code", std::string("tcpMsg")}, {"detail", std::string("x")}});
    center.post("somethingElse", &sender);
    center.post("getDataFromCenter", &sender, {{"code", std::string("sysMsg")}});
    EXPECT_EQ(got, (std::vector<std::string> {"all:tcpMsg/x", "all:sysMsg/", "mine"}));
}

TEST(NotificationCenter, TokenRemovesObserver)
{
    NotificationCenter center;
    int calls = 0;
    {
        auto token = center.addObserver("n", [&](const Notification&) { ++calls; });
        center.post("n");
        auto moved = std::move(token);
        center.post("n");
        EXPECT_EQ(center.observerCount("n"), 1u);
    }
    center.post("n");
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(center.observerCount("n"), 0u);
    // A handler may own another observer's token; removing the one removes the other.
    auto inner = std::make_shared<NotificationCenter::Token>(center.addObserver("m", [](const Notification&) {}));
    auto outer = center.addObserver("n", [inner](const Notification&) {});
    inner.reset();
    outer.reset();
    EXPECT_EQ(center.observerCount("m"), 0u);

    // A token that outlives its center is let go without harm.
    auto orphan = std::make_unique<NotificationCenter>()->addObserver("n", [](const Notification&) {});
    orphan.reset();
    EXPECT_FALSE(orphan);
}

// An object that observes may be released on a worker thread (a download's last reference).
TEST(NotificationCenter, ObserversComeAndGoOnOtherThreadsWhileTheMainThreadPosts)
{
    NotificationCenter center;
    int heard = 0;
    auto steady = center.addObserver("n", [&](const Notification&) { ++heard; });
    std::atomic<bool> stop {false};
    std::thread churn([&] {
        while (!stop)
            auto passing = center.addObserver("n", [](const Notification&) {});
    });
    for (int i = 0; i < 100000; ++i)
        center.post("n");
    stop = true;
    churn.join();
    EXPECT_EQ(heard, 100000);
}

TEST(NotificationCenter, ObserversChangedDuringDelivery)
{
    NotificationCenter center;
    std::vector<std::string> calls;
    std::optional<NotificationCenter::Token> second, added;
    auto first = center.addObserver("n", [&](const Notification&) {
        calls.push_back("first");
        second.reset(); // removed during delivery: not called any more
        if (!added)
            added = center.addObserver("n", [&](const Notification&) { calls.push_back("added"); });
    });
    second = center.addObserver("n", [&](const Notification&) { calls.push_back("second"); });
    center.post("n");
    EXPECT_EQ(calls, (std::vector<std::string> {"first"}));
    center.post("n");
    EXPECT_EQ(calls, (std::vector<std::string> {"first", "first", "added"}));
}
