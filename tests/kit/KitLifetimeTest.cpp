#include "kit/KeypadAlertView.h"
#include "kit/ProgressHUD.h"
#include "platform/ui/UIActivityIndicatorView.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/UIWindow.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {
class KitLifetime : public ::testing::Test {
protected:
    void SetUp() override { UIApplication::sharedApplication().resetForTesting(); }
    void TearDown() override { UIApplication::sharedApplication().resetForTesting(); }
    ManualMainClock clock;
};
} // namespace

TEST_F(KitLifetime, AKeypadOverAScreenDoesNotKeepTheScreenAlive)
{
    std::weak_ptr<UIView> screen;
    std::weak_ptr<KeypadAlertView> dialog;
    {
        auto parent = UIView::create(CGRectMake(0, 0, 1024, 768));
        auto keypad = KeypadAlertView::createWithParentView(parent);
        keypad->show();
        ASSERT_EQ(keypad->superview(), parent.get());
        screen = parent;
        dialog = keypad;
    }
    // The screen went away with the dialog still up and unanswered.
    clock.advance(1.0);
    EXPECT_TRUE(screen.expired());
    EXPECT_TRUE(dialog.expired());
}

TEST_F(KitLifetime, AKeypadShownBeforeAnyWindowCanBeShownLater)
{
    auto keypad = KeypadAlertView::create();
    keypad->show(); // no window yet: nothing happens
    EXPECT_FALSE(keypad->superview());
    auto window = UIWindow::create(UIScreen::mainScreen().bounds());
    window->makeKeyAndVisible();
    keypad->show();
    EXPECT_EQ(keypad->superview(), window.get());
}
