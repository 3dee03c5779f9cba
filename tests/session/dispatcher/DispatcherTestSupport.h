#pragma once

#include "session/ConnectionStatusDisplay.h"
#include "session/DataCenter.h"
#include "session/ReplyAlertDisplay.h"
#include "session/SocketDataHandle.h"
#include "session/records/TiaoGuangStateObject.h"
#include "tests/session/dispatcher/RecordingReceiver.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// A reply text as the connection hands it on: length digits, command, then the given lines
// (line 2 onwards) joined by "\r\n".
inline std::string replyText(int command, const std::vector<std::string>& fromLine2)
{
    std::string text = "000000\r\n" + std::to_string(command);
    for (const auto& line : fromLine2)
        text += "\r\n" + line;
    return text;
}

// `count` records of `stride` lines, each field "<prefix><record>:<offset>".
inline std::vector<std::string> records(std::size_t count, std::size_t stride, const std::string& prefix = "r")
{
    std::vector<std::string> lines;
    for (std::size_t r = 0; r < count; ++r)
        for (std::size_t i = 0; i < stride; ++i)
            lines.push_back(prefix + std::to_string(r) + ":" + std::to_string(i));
    return lines;
}

inline std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class RecordingStatusDisplay : public ConnectionStatusDisplay {
public:
    std::string offLine, wifi;
    int redisplays = 0;
    void setOffLineStr(const std::string& text) override { offLine = text; }
    void setWifiStr(const std::string& text) override { wifi = text; }
    void showCustomStatus() override { ++redisplays; }
};

// Each alert as "title|message|button"; those raised for a reply no request awaited are listed
// again apart.
class RecordingAlertDisplay : public ReplyAlertDisplay {
public:
    std::vector<std::string> alerts, unaskedAlerts;
    bool unasked = false;
    void showAlert(const std::string& title, const std::string& message, const std::string& button) override
    {
        alerts.push_back(title + "|" + message + "|" + button);
        if (unasked)
            unaskedAlerts.push_back(alerts.back());
    }
    bool setRaisingUnasked(bool value) override { return std::exchange(unasked, value); }
};

// A fresh session, dispatcher and receiver for each test, on a manual clock.
class DispatcherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DataCenter::resetForTesting();
        SocketDataHandle::resetForTesting();
        TiaoGuangStateObject::resetForTesting();
        handle().setStatusDisplay(&display);
        handle().setAlertDisplay(&alerts);
        handle().setDelegate(receiver);
    }
    void TearDown() override
    {
        SocketDataHandle::resetForTesting();
        DataCenter::resetForTesting();
        TiaoGuangStateObject::resetForTesting();
    }
    static SocketDataHandle& handle() { return SocketDataHandle::sharedInstance(); }
    static DataCenter& session() { return DataCenter::sharedInstance(); }
    static void deliver(const std::string& text) { DataCenter::sharedInstance().forwardNoticeCode("tcpMsg", text); }
    static void deliver(int command, const std::vector<std::string>& fromLine2) { deliver(replyText(command, fromLine2)); }
    static void linkEvent(const std::string& detail) { DataCenter::sharedInstance().forwardNoticeCode("sysMsg", detail); }
    std::vector<std::string> calls() const { return receiver->calls; }

    ScopedDataFolder data;
    ManualMainClock clock;
    LogCapture log;
    RecordingStatusDisplay display;
    RecordingAlertDisplay alerts;
    std::shared_ptr<RecordingReceiver> receiver = std::make_shared<RecordingReceiver>();
};
