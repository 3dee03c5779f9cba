#include "InterfaceTestSupport.h"

#include "platform/ui/InterfaceChecker.h"
#include "platform/ui/UIButton.h"
#include "platform/ui/UINavigationController.h"
#include "platform/ui/UIStoryboard.h"
#include "platform/ui/UITextField.h"


namespace {

// Screens, cells and labels that the application and the interface kit register; while this
// test runs alone they are not registered, and once they are, they are checked like the rest.
const std::set<std::string> ProvidedElsewhere {
    "InitViewController",        "LoginViewController", "RoomStatesViewController", "StoreWineViewController",
    "OrderViewController",       "VipCardFreeViewController", "BillViewController", "ShadowLabel",
    "RoomStateCell",             "RoomTypeCell",        "RoomInfoBarView",          "RecommendViewController",
    "FoodView",                  "CarouselView",        "SnapshotStackView",
};

// A stand-in for the login screen, with what its scene connects to.
class LoginScreen : public UIViewController, public UITextFieldDelegate {
public:
    std::string userName;
    std::shared_ptr<UITextField> current;
    int logins = 0;
    void textFieldDidBeginEditing(UITextField& field) override
    {
        current = std::static_pointer_cast<UITextField>(field.shared_from_this());
    }
    void textFieldDidEndEditing(UITextField& field) override
    {
        if (field.tag() == 100)
            userName = field.text();
    }
    void btnLoginAction(UIControl&)
    {
        if (current)
            current->resignFirstResponder();
        ++logins;
    }
};

class ShippedInterfaceFilesTest : public InterfaceTest {
protected:
    void SetUp() override
    {
        InterfaceTest::SetUp();
        Paths::setResourcesFolder(std::nullopt); // the files the program ships
        registerPlatformInterfaceClasses();
    }

    std::shared_ptr<const StoryboardDescription> main() { return InterfaceFileReader::storyboard("Storyboard_Main"); }
};

} // namespace

TEST_F(ShippedInterfaceFilesTest, AScreenClassOnceRegisteredMustHaveWhatItsSceneNames)
{
    InterfaceChecker checker(ProvidedElsewhere);
    InterfaceRegistry::shared().registerControllerClass<LoginScreen>("LoginViewController", "UIViewController");
    const auto problems = checker.checkStoryboard(*main());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("LoginViewController has no action 'btnLoginAction:'"), std::string::npos);
}

TEST_F(ShippedInterfaceFilesTest, TheLoginSceneWiresItsFieldAndButtonToTheScreen)
{
    InterfaceRegistry::shared()
        .registerControllerClass<LoginScreen>("LoginViewController", "UIViewController")
        .action("btnLoginAction:", &LoginScreen::btnLoginAction);
    auto storyboard = UIStoryboard::storyboardWithName("Storyboard_Main");
    ASSERT_TRUE(storyboard);
    const auto& contents = storyboard->contents();
    const auto* toLogin = contents.segue(contents.initialScene, "showLoginVC");
    ASSERT_TRUE(toLogin);
    auto segue = storyboard->segueFromScene(contents.initialScene, "showLoginVC", nullptr);
    ASSERT_TRUE(segue);
    auto login = std::dynamic_pointer_cast<LoginScreen>(segue->destinationViewController());
    ASSERT_TRUE(login);
    show(login);

    auto field = std::dynamic_pointer_cast<UITextField>(login->view()->viewWithTag(100));
    ASSERT_TRUE(field);
    EXPECT_EQ(field->delegate().get(), login.get());
    std::shared_ptr<UIButton> button;
    std::function<void(const std::shared_ptr<UIView>&)> find = [&](const std::shared_ptr<UIView>& v) {
        if (auto b = std::dynamic_pointer_cast<UIButton>(v))
            button = b;
        for (const auto& sub : v->subviews())
            find(sub);
    };
    find(login->view());
    ASSERT_TRUE(button);

    // Typing and tapping the button without leaving the field still hands over the code.
    EXPECT_TRUE(field->tap());
    field->typeText("0042");
    EXPECT_TRUE(button->tap());
    EXPECT_EQ(login->logins, 1);
    EXPECT_EQ(login->userName, "0042");
    EXPECT_FALSE(field->isEditing());
}
