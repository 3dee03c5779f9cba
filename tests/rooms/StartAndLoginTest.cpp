#include "tests/rooms/ScreenTestSupport.h"

#include "platform/ui/UIButton.h"
#include "platform/ui/UITextField.h"
#include "rooms/InitViewController.h"
#include "rooms/LoginViewController.h"
#include "rooms/RoomStatesViewController.h"
#include "tests/platform/net/peer/LoopbackPeer.h"

namespace {

// The login screen after the start screen, with its clerk-code field.
class LoginTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        startServer();
        launch();
        login = waitForScreen<LoginViewController>();
        ASSERT_TRUE(login);
        field = std::dynamic_pointer_cast<UITextField>(
            login->view()->viewWithTag(LoginViewController::UserNameFieldTag));
        ASSERT_TRUE(field);
    }
    std::shared_ptr<LoginViewController> login;
    std::shared_ptr<UITextField> field;
};

} // namespace

TEST_F(ScreenTest, UnreachableServerOffersOneRetryAlertThatReconnects)
{
    pointAt(LoopbackPeer::closedPort());
    launch();
    auto alert = waitForAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "错误");
    EXPECT_EQ(alert->message(), "连接服务器失败");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "重试");
    EXPECT_EQ(alert->tag(), InitViewController::RetryAlertTag);
    keepScreenPicture("alert-server-unreachable-retry");

    const auto attempts = [&] {
        const auto lines = log.lines();
        return std::count_if(lines.begin(), lines.end(),
                             [](const std::string& l) { return l.find("trying to connect server") != std::string::npos; });
    };
    const auto before = attempts();
    ASSERT_TRUE(alert->tapButtonAtIndex(0));
    EXPECT_EQ(attempts(), before + 1);
    // The new attempt fails too and brings one alert back, never a pile of them.
    ASSERT_TRUE(waitForAlert());
    RunLoop::main().runUntil([] { return false; }, 0.3);
    EXPECT_EQ(UIApplication::sharedApplication().alerts().size(), 1u);
}

// The retry is the start screen's only way on: alerts up never keep it away, and one raised for
// a refusal nobody asked for, folded into the alert of those, is offered again once an alert goes.
TEST_F(ScreenTest, RetryAlertIsNeverLostBehindOtherAlerts)
{
    auto& app = UIApplication::sharedApplication();
    for (int i = 0; i < 6; ++i)
        UIAlertView::create("提示", "未绑定" + std::to_string(i), {}, "确定")->show();
    pointAt(LoopbackPeer::closedPort());
    launch();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return app.topAlert()->message() == "连接服务器失败"; }, 5.0));
    EXPECT_EQ(app.alerts().size(), 7u);

    auto start = std::dynamic_pointer_cast<InitViewController>(ScreenInFront::visibleController());
    ASSERT_TRUE(start);
    app.topAlert()->dismissWithClickedButtonIndex(0, false); // gone without a retry
    app.setRaisingUnaskedAlerts(true);
    UIAlertView::create("提示", "工号无效", {}, "取消")->show();
    start->socketDataHandleDidHallBound(false, "设备未授权");
    app.setRaisingUnaskedAlerts(false);
    EXPECT_EQ(app.unaskedAlertCount(), 2u);
    ASSERT_TRUE(app.topAlert()->tapButtonAtIndex(0));
    EXPECT_EQ(app.topAlert()->message(), "设备未授权");
    EXPECT_EQ(app.topAlert()->tag(), InitViewController::RetryAlertTag);
    EXPECT_EQ(app.unaskedAlertCount(), 0u);
}

TEST_F(ScreenTest, SettingsNamingNoServerBringTheRetryAlert)
{
    for (const auto& [host, port] : std::vector<std::pair<std::string, std::string>> {
             {"127.0.0.1", "abc"}, {"127.0.0.1", "0"}, {"127.0.0.1", "-1"}, {"127.0.0.1", "70000"}, {"", "8080"}}) {
        UserDefaults::standard().setObject("Server_Ip", host);
        UserDefaults::standard().setObject("Server_Port", port);
        launch();
        auto alert = waitForAlert(1.0);
        ASSERT_TRUE(alert) << host << ":" << port;
        EXPECT_EQ(alert->message(), "连接服务器失败");
        // Fixed settings connect on the retry.
        if (port == "8080") {
            startServer();
            ASSERT_TRUE(alert->tapButtonAtIndex(0));
            EXPECT_TRUE(waitForScreen<LoginViewController>());
        }
        UIApplication::sharedApplication().resetForTesting();
    }
}

TEST_F(ScreenTest, RefusedVenueIdentityIsNotADeadEnd)
{
    VenueServerOptions options;
    options.refused = {182};
    startServer(options);
    launch();
    auto alert = waitForAlert();
    ASSERT_TRUE(alert);
    EXPECT_NE(alert->message().value_or("").find("获取场所id失败:"), std::string::npos);
    EXPECT_EQ(alert->tag(), InitViewController::RetryAlertTag);
    EXPECT_EQ(logged("request 90"), 0u);
    ASSERT_TRUE(alert->tapButtonAtIndex(0));
    EXPECT_TRUE(server->waitForLog("client 2 connected", std::chrono::seconds(3)));
}

// The main road: from the start screen through a refusal to the clerk the staff check names.
TEST_F(LoginTest, FollowsTheStartScreenSendsTheTypedCodeOnceAndTheNamedClerkActs)
{
    EXPECT_EQ(DataCenter::sharedInstance().ktvid, "0571026");
    EXPECT_FALSE(DataCenter::sharedInstance().ktvname.empty());
    // The requests go out with exactly the fields the server expects, in order.
    EXPECT_TRUE(server->waitForLog("request 60 fields=[]", std::chrono::seconds(2)));
    EXPECT_EQ(logged("request 182 fields=[]"), 1u);
    EXPECT_EQ(logged("request 90 fields=[" + DataCenter::sharedInstance().UDID + "||0|]"), 1u);
    EXPECT_TRUE(log.contains("setDelegate InitViewController") && log.contains("setDelegate LoginViewController"));

    ASSERT_TRUE(field->tap());
    field->typeText("9999");
    // Two taps before the reply: one request, with the code typed but never confirmed.
    UIControl sender;
    login->btnLoginAction(sender);
    login->btnLoginAction(sender);
    auto alert = waitForAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "提示");
    EXPECT_FALSE(alert->message().value_or("").empty());
    keepScreenPicture("alert-login-refused");
    EXPECT_EQ(logged("request 102 fields=[0|||9999|||]"), 1u);
    EXPECT_EQ(DataCenter::sharedInstance().clerkNo, "8805"); // still the clerk of the binding
    EXPECT_FALSE(login->loginPending());

    // The scene's own button logs in, as the clerk's tap does.
    std::shared_ptr<UIButton> button;
    for (const auto& view : field->superview()->subviews())
        if (auto found = std::dynamic_pointer_cast<UIButton>(view))
            button = found;
    ASSERT_TRUE(button);
    field->setText("1357"); // clerk 8802's
    login->textFieldDidEndEditing(*field);
    // A finger that comes down on the button and slides off before lifting logs nobody in.
    for (const auto event : {UIControlEventTouchDown, UIControlEventTouchDragExit, UIControlEventTouchUpOutside})
        button->sendActionsForControlEvents(event);
    EXPECT_FALSE(login->loginPending());
    ASSERT_TRUE(button->tap());
    EXPECT_TRUE(login->loginPending()); // on the lift inside
    EXPECT_TRUE(waitForScreen<RoomStatesViewController>());
    EXPECT_TRUE(waitForRequest("request 161 fields=[1|0|1|8802||]")); // the next request carries the clerk
    EXPECT_EQ(DataCenter::sharedInstance().clerkName, "陈建国");
}

TEST_F(LoginTest, RefusesACodeWithALineBreak)
{
    field->setText("12\r\n34");
    login->textFieldDidEndEditing(*field);
    UIControl sender;
    login->btnLoginAction(sender);
    ASSERT_TRUE(UIApplication::sharedApplication().topAlert());
    RunLoop::main().runUntil([] { return false; }, 0.2);
    EXPECT_EQ(logged("request 102"), 0u);
}
