#include "kit/KeypadAlertView.h"
#include "kit/SystemNotificationNames.h"
#include "platform/ui/UIAlertView.h"
#include "tests/support/ScreenPictures.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIInterpolatingMotionEffect.h"
#include "platform/ui/UIMotionEffectGroup.h"
#include "platform/ui/UIWindow.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

struct Answer {
    std::int64_t tag;
    bool isOk;
    std::string input;
    std::int32_t curCmd;
    bool operator==(const Answer&) const = default;
};
void PrintTo(const Answer& a, std::ostream* out)
{
    *out << "{tag " << a.tag << (a.isOk ? ", ok, '" : ", cancel, '") << a.input << "', cmd " << a.curCmd << "}";
}

struct RecordingScreen : KeypadAlertViewDelegate {
    std::vector<Answer> answers;
    std::vector<std::int64_t> rowButtons;
    bool handlesRow = false;
    void customAlertViewClick(std::int64_t tag, bool isOk, const std::string& input, std::int32_t curCmd) override
    {
        answers.push_back({tag, isOk, input, curCmd});
    }
    bool keypadDialogButtonTouchUpInside(KeypadAlertView&, std::int64_t index) override
    {
        rowButtons.push_back(index);
        return handlesRow;
    }
};

class KeypadAlertViewTest : public ::testing::Test {
protected:
    KeypadAlertViewTest()
    {
        UIApplication::sharedApplication().resetForTesting();
        window = UIWindow::create(CGRectMake(0, 0, 1024, 768));
        window->makeKeyAndVisible();
    }
    ~KeypadAlertViewTest() override { UIApplication::sharedApplication().resetForTesting(); }

    // A dialog as a screen opens it: made, titled, tagged, given a delegate, shown, and let go.
    std::weak_ptr<KeypadAlertView> open(int tag, bool password = false)
    {
        auto dialog = KeypadAlertView::create();
        dialog->title()->setText("请输入密码");
        dialog->setTag(tag);
        dialog->setDelegate(screen);
        dialog->setIsPassWord(password);
        dialog->show();
        return dialog;
    }

    static void type(KeypadAlertView& dialog, const std::string& digits)
    {
        for (char c : digits)
            ASSERT_TRUE(dialog.digitKey(c - '0')->tap());
    }

    ManualMainClock clock;
    UIWindowPtr window;
    std::shared_ptr<RecordingScreen> screen = std::make_shared<RecordingScreen>();
};

} // namespace

TEST_F(KeypadAlertViewTest, ShowsAKeypadBoxInTheMiddleOfTheFirstWindow)
{
    auto other = UIWindow::create(CGRectMake(0, 0, 1024, 768));
    other->setWindowLevel(UIWindowLevelStatusBar);
    other->makeKeyAndVisible();
    auto dialog = open(0).lock();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->superview(), window.get()) << "the first window, not the key window";
    EXPECT_EQ(dialog->frame(), CGRectMake(0, 0, 1024, 768));
    EXPECT_EQ(dialog->dialogView()->frame(), CGRectMake(362, 164, 300, 440));
    EXPECT_EQ(dialog->dialogView()->alpha(), 1);
    EXPECT_TRUE(dialog->backgroundColor()->isEqual(*UIColor::colorWithWhite(0, 0.4)));
    EXPECT_EQ(dialog->title()->frame(), CGRectMake(0, 0, 235, 56));
    EXPECT_EQ(dialog->pw()->frame(), CGRectMake(27, 56, 203, 41));
    EXPECT_EQ(dialog->deleteKey()->frame(), CGRectMake(232, 56, 58, 41));
    // 1 to 9 in rows of three, 0 between 取消 and 确定.
    for (int digit = 1; digit <= 9; ++digit)
        EXPECT_EQ(dialog->digitKey(digit)->frame(), CGRectMake(35 + (digit - 1) % 3 * 88, 120 + (digit - 1) / 3 * 77, 60, 60))
            << digit;
    EXPECT_EQ(dialog->digitKey(0)->frame(), CGRectMake(123, 351, 60, 60));
    EXPECT_EQ(dialog->cancelKey()->frame(), CGRectMake(35, 351, 60, 60));
    EXPECT_EQ(dialog->okKey()->currentTitle(), "确定");
    EXPECT_FALSE(dialog->digitKey(10));
    EXPECT_FALSE(dialog->digitKey(-1));
    keepScreenPicture("keypad");
}

TEST_F(KeypadAlertViewTest, DigitsDeleteAndTheFifteenCharacterLimit)
{
    auto dialog = open(0).lock();
    type(*dialog, "123456789012345");
    EXPECT_EQ(dialog->input(), "123456789012345");
    EXPECT_FALSE(UIApplication::sharedApplication().topAlert());

    type(*dialog, "6");
    EXPECT_EQ(dialog->input(), "123456789012345");
    auto alert = UIApplication::sharedApplication().topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "提示");
    EXPECT_EQ(alert->message(), "输入长度不能大于15位!");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "确定");
    EXPECT_EQ(dialog->superview(), window.get()) << "the dialog stays open";
    alert->tapButtonAtIndex(0);

    ASSERT_TRUE(dialog->deleteKey()->tap());
    type(*dialog, "9");
    EXPECT_EQ(dialog->input(), "123456789012349");
    EXPECT_EQ(dialog->pw()->text(), "123456789012349");

    for (int i = 0; i < 20; ++i)
        dialog->deleteKey()->tap();
    EXPECT_EQ(dialog->input(), "");
}

TEST_F(KeypadAlertViewTest, OkAnswersOnceWithTheTagAndTheDialogGoesAfterItsAnimationWithItsObservers)
{
    auto& centre = NotificationCenter::defaultCenter();
    const auto shows = centre.observerCount(SystemNotificationNames::KeyboardWillShow);
    const auto turns = centre.observerCount(SystemNotificationNames::DeviceOrientationDidChange);
    auto weak = open(161);
    EXPECT_EQ(centre.observerCount(SystemNotificationNames::KeyboardWillShow), shows + 1);
    {
        auto dialog = weak.lock();
        type(*dialog, "8080");
        ASSERT_TRUE(dialog->okKey()->tap());
        // A second tap lands while the box is still animating out.
        EXPECT_TRUE(dialog->okKey()->tap());
        dialog->cancelKey()->tap();
        EXPECT_EQ(dialog->dialogView()->alpha(), 0);
    }
    EXPECT_EQ(screen->answers, (std::vector<Answer> {{161, true, "8080", 0}}));

    clock.advance(0.15);
    EXPECT_FALSE(weak.expired()) << "still closing";
    clock.advance(0.1);
    EXPECT_TRUE(weak.expired()) << "taken off the window and destroyed";
    EXPECT_TRUE(window->subviews().empty());
    EXPECT_EQ(screen->answers.size(), 1u);
    EXPECT_EQ(centre.observerCount(SystemNotificationNames::KeyboardWillShow), shows);
    EXPECT_EQ(centre.observerCount(SystemNotificationNames::DeviceOrientationDidChange), turns);
}

TEST_F(KeypadAlertViewTest, OnlyOkPassesWhatWasTypedAndAPasswordShowsDots)
{
    auto dialog = open(0).lock();
    type(*dialog, "42");
    dialog->setCmd(7);
    dialog->cancelKey()->tap();
    // 确定 with nothing typed still answers, with the empty text.
    open(3).lock()->okKey()->tap();
    auto password = open(4, true).lock();
    type(*password, "2468");
    EXPECT_EQ(password->pw()->text(), "••••");
    password->okKey()->tap();
    EXPECT_EQ(screen->answers, (std::vector<Answer> {{0, false, "", 7}, {3, true, "", 0}, {4, true, "2468", 0}}));

    // Masking is settled when the keypad is built.
    auto plain = open(0, false).lock();
    plain->setIsPassWord(true);
    type(*plain, "11");
    EXPECT_EQ(plain->pw()->text(), "11");
}

TEST_F(KeypadAlertViewTest, WithoutALiveDelegateTheKeysOnlyClose)
{
    // The delegate is not owned: a screen that went away hears nothing and keeps nothing alive.
    auto dialog = open(5);
    std::weak_ptr<RecordingScreen> gone = screen;
    screen.reset();
    EXPECT_TRUE(gone.expired());
    dialog.lock()->okKey()->tap();
    clock.advance(0.3);
    EXPECT_TRUE(dialog.expired());
}

TEST_F(KeypadAlertViewTest, KeyboardLiftsTheBoxAndTurningRecentresIt)
{
    auto dialog = open(0).lock();
    NotificationCenter::defaultCenter().post(
        SystemNotificationNames::KeyboardWillShow, nullptr,
        {{SystemNotificationNames::KeyboardFrameBeginUserInfoKey, std::any(CGRectMake(0, 416, 1024, 352))}});
    EXPECT_EQ(dialog->dialogView()->frame().origin, CGPointMake(362, 164 - 176));
    NotificationCenter::defaultCenter().post(SystemNotificationNames::KeyboardWillHide);
    EXPECT_EQ(dialog->dialogView()->frame().origin, CGPointMake(362, 164));

    // A notice carrying something else than a rectangle counts as no keyboard.
    NotificationCenter::defaultCenter().post(SystemNotificationNames::KeyboardWillShow, nullptr,
                                             {{SystemNotificationNames::KeyboardFrameBeginUserInfoKey, std::any(42)}});
    EXPECT_EQ(dialog->dialogView()->frame().origin, CGPointMake(362, 164));

    UIApplication::sharedApplication().setStatusBarOrientation(UIInterfaceOrientation::Portrait);
    NotificationCenter::defaultCenter().post(SystemNotificationNames::DeviceOrientationDidChange);
    EXPECT_EQ(dialog->frame(), CGRectMake(0, 0, 768, 1024));
    EXPECT_EQ(dialog->dialogView()->frame(), CGRectMake(234, 292, 300, 440));
    EXPECT_EQ(UIView::runningAnimations().back().duration, 0.2);
}

TEST_F(KeypadAlertViewTest, HostViewTakesTheDialogIgnoresTurnsAndIsNotKeptAlive)
{
    auto host = UIView::create(CGRectMake(0, 0, 600, 500));
    auto dialog = KeypadAlertView::createWithParentView(host);
    dialog->show();
    EXPECT_EQ(dialog->superview(), host.get());
    const CGRect before = dialog->dialogView()->frame();
    UIApplication::sharedApplication().setStatusBarOrientation(UIInterfaceOrientation::Portrait);
    NotificationCenter::defaultCenter().post(SystemNotificationNames::DeviceOrientationDidChange);
    EXPECT_EQ(dialog->dialogView()->frame(), before);

    // The host goes away with the dialog still up and unanswered: neither keeps the other alive.
    const std::weak_ptr<UIView> weakHost = host;
    const std::weak_ptr<KeypadAlertView> weakDialog = dialog;
    host.reset();
    dialog.reset();
    clock.advance(1.0);
    EXPECT_TRUE(weakHost.expired());
    EXPECT_TRUE(weakDialog.expired());
}

TEST_F(KeypadAlertViewTest, ButtonRowAddsItsHeightAndReportsPresses)
{
    LogCapture log;
    auto dialog = KeypadAlertView::create();
    dialog->setTag(5);
    dialog->setButtonTitles({"甲", "乙"});
    std::vector<std::int64_t> handled;
    dialog->setOnButtonTouchUpInside([&](KeypadAlertView&, std::int64_t index) { handled.push_back(index); });
    dialog->show();
    EXPECT_EQ(dialog->dialogView()->frame().size, CGSizeMake(300, 491));
    const auto& parts = dialog->dialogView()->subviews();
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0]->frame(), CGRectMake(0, 440, 300, 1)) << "the line above the row";
    auto second = std::dynamic_pointer_cast<UIButton>(parts[3]);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->frame(), CGRectMake(150, 441, 150, 50));

    // A delegate that takes the press keeps the dialog open.
    dialog->setDelegate(screen);
    screen->handlesRow = true;
    second->tap();
    EXPECT_EQ(screen->rowButtons, (std::vector<std::int64_t> {1}));
    EXPECT_EQ(handled, (std::vector<std::int64_t> {1}));
    clock.advance(0.3);
    EXPECT_EQ(dialog->superview(), window.get());

    // Otherwise the dialog logs the press and closes.
    screen->handlesRow = false;
    second->tap();
    EXPECT_TRUE(log.contains("Button Clicked! 1, 5"));
    clock.advance(0.3);
    EXPECT_EQ(dialog->superview(), nullptr);
    EXPECT_TRUE(screen->answers.empty());
}

TEST_F(KeypadAlertViewTest, NoWindowMeansNothingToShowOn)
{
    UIApplication::sharedApplication().resetForTesting();
    LogCapture log;
    auto dialog = KeypadAlertView::create();
    dialog->show();
    EXPECT_EQ(dialog->superview(), nullptr);
    EXPECT_TRUE(log.contains("no window"));
    // Once there is a window, the same dialog shows on it.
    auto later = UIWindow::create(CGRectMake(0, 0, 1024, 768));
    later->makeKeyAndVisible();
    dialog->show();
    EXPECT_EQ(dialog->superview(), later.get());

    KeypadAlertView unowned;
    unowned.show();
    EXPECT_TRUE(log.contains("not made by create()"));
    unowned.clickOK(); // answers no one and closes nothing, without failing
}

TEST_F(KeypadAlertViewTest, TheTiltEffectIsAppliedOnlyWhenAskedFor)
{
    for (const bool motion : {false, true}) {
        auto dialog = KeypadAlertView::create();
        dialog->setUseMotionEffects(motion);
        dialog->show();
        std::string axes;
        for (const auto& group : dialog->dialogView()->motionEffects())
            for (const auto& effect : dynamic_cast<UIMotionEffectGroup&>(*group).motionEffects()) {
                const auto& tilt = dynamic_cast<const UIInterpolatingMotionEffect&>(*effect);
                axes += tilt.keyPath() + std::to_string(static_cast<int>(tilt.type())) + " "
                    + std::to_string(static_cast<int>(tilt.minimumRelativeValue())) + ".."
                    + std::to_string(static_cast<int>(tilt.maximumRelativeValue())) + ";";
            }
        EXPECT_EQ(axes, motion ? "center.x0 -10..10;center.y1 -10..10;" : "");
    }
}
