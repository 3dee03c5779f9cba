#include "InterfaceTestSupport.h"

#include "platform/ui/InterfaceChecker.h"

namespace {

// Screens, cells and labels that the application and the interface kit register; while this
// test runs alone they are not registered, and once they are, they are checked like the rest.
const std::set<std::string> ProvidedElsewhere {
    "InitViewController",        "LoginViewController", "RoomStatesViewController", "StoreWineViewController",
    "OrderViewController",       "VipCardFreeViewController", "BillViewController", "ShadowLabel",
    "RoomStateCell",             "RoomTypeCell",        "RoomInfoBarView",          "RecommendViewController",
    "FoodView",                  "CarouselView",        "SnapshotStackView",
};

// A stand-in for the login screen that lacks the action its scene wires the button to.
class LoginScreen : public UIViewController {};

using ShippedInterfaceFilesTest = InterfaceTest;

} // namespace

TEST_F(ShippedInterfaceFilesTest, AScreenClassOnceRegisteredMustHaveWhatItsSceneNames)
{
    Paths::setResourcesFolder(std::nullopt); // the files the program ships
    registerPlatformInterfaceClasses();
    InterfaceChecker checker(ProvidedElsewhere);
    InterfaceRegistry::shared().registerControllerClass<LoginScreen>("LoginViewController", "UIViewController");
    const auto problems = checker.checkStoryboard(*InterfaceFileReader::storyboard("Storyboard_Main"));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("LoginViewController has no action 'btnLoginAction:'"), std::string::npos);
}
