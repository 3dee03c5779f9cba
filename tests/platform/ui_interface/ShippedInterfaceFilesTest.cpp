#include "InterfaceTestSupport.h"

#include "platform/ui/InterfaceChecker.h"
#include "platform/ui/UIButton.h"
#include "platform/ui/UINavigationController.h"
#include "platform/ui/UIStoryboard.h"
#include "platform/ui/UITextField.h"

#include <algorithm>
#include <map>

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

// The description and all below it, depth first.
std::vector<const ViewDescription*> viewsOf(const ViewDescription& root)
{
    std::vector<const ViewDescription*> out {&root};
    for (const auto& sub : root.subviews)
        for (const auto* v : viewsOf(sub))
            out.push_back(v);
    return out;
}

// outlet name -> class of the view it points at, for outlets held by holder.
std::map<std::string, std::string> outletsHeldBy(const std::vector<const ViewDescription*>& views,
                                                 const std::string& holder)
{
    std::map<std::string, std::string> outlets;
    for (const auto* v : views) {
        for (const auto& [name, by] : v->outlets) {
            if (by == holder)
                outlets[name] = v->className;
        }
    }
    return outlets;
}

class ShippedInterfaceFilesTest : public InterfaceTest {
protected:
    void SetUp() override
    {
        InterfaceTest::SetUp();
        Paths::setResourcesFolder(std::nullopt); // the files the program ships
        registerPlatformInterfaceClasses();
    }

    std::shared_ptr<const StoryboardDescription> main() { return InterfaceFileReader::storyboard("Storyboard_Main"); }
    std::shared_ptr<const StoryboardDescription> foodOrder() { return InterfaceFileReader::storyboard("Storyboard_FoodOrder"); }
};

} // namespace

TEST_F(ShippedInterfaceFilesTest, EveryFileReadsAndNamesOnlyWhatExists)
{
    InterfaceChecker checker(ProvidedElsewhere);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(InterfaceFileReader::folder())) {
        const std::string file = entry.path().filename().string();
        std::vector<std::string> problems;
        if (file.ends_with(".storyboard.json")) {
            auto contents = InterfaceFileReader::storyboard(file.substr(0, file.size() - 16));
            ASSERT_TRUE(contents) << file;
            problems = checker.checkStoryboard(*contents);
        } else if (file.ends_with(".nib.json")) {
            auto contents = InterfaceFileReader::nib(file.substr(0, file.size() - 9));
            ASSERT_TRUE(contents) << file;
            problems = checker.checkNib(*contents);
        } else {
            ADD_FAILURE() << "not an interface file: " << file;
        }
        for (const auto& problem : problems)
            ADD_FAILURE() << problem;
        ++files;
    }
    EXPECT_GE(files, 5);
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(ShippedInterfaceFilesTest, AScreenClassOnceRegisteredMustHaveWhatItsSceneNames)
{
    InterfaceChecker checker(ProvidedElsewhere);
    InterfaceRegistry::shared().registerControllerClass<LoginScreen>("LoginViewController", "UIViewController");
    const auto problems = checker.checkStoryboard(*main());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("LoginViewController has no action 'btnLoginAction:'"), std::string::npos);
}

TEST_F(ShippedInterfaceFilesTest, TheMainStoryboardHasTheScenesAndSeguesTheScreensUse)
{
    auto contents = main();
    ASSERT_TRUE(contents);
    const auto* start = contents->sceneWithID(contents->initialScene);
    ASSERT_TRUE(start);
    EXPECT_EQ(start->className, "InitViewController");
    EXPECT_TRUE(start->inNavigationController);
    EXPECT_TRUE(start->navigationBarHidden);

    const auto* floor = contents->sceneWithIdentifier("roomStatesView");
    ASSERT_TRUE(floor);
    EXPECT_EQ(floor->className, "RoomStatesViewController");

    const auto* toLogin = contents->segue(start->id, "showLoginVC");
    ASSERT_TRUE(toLogin);
    const auto* login = contents->sceneWithID(toLogin->destination);
    EXPECT_EQ(login->className, "LoginViewController");
    for (const auto* source : {start, login}) {
        const auto* toFloor = contents->segue(source->id, "showRoonStatesVC");
        ASSERT_TRUE(toFloor) << source->id;
        EXPECT_EQ(toFloor->destination, floor->id);
    }
    const auto* toStoreWine = contents->segue(floor->id, "toStoreWine");
    ASSERT_TRUE(toStoreWine);
    EXPECT_EQ(contents->sceneWithID(toStoreWine->destination)->className, "StoreWineViewController");

    // The floor's outlets, of the kinds its code uses.
    ASSERT_TRUE(floor->view);
    const auto views = viewsOf(*floor->view);
    EXPECT_EQ(outletsHeldBy(views, "owner"), (std::map<std::string, std::string> {
                                                 {"roomStatesScrollView", "UIScrollView"},
                                                 {"roomTypesScrollView", "UIScrollView"},
                                                 {"segment", "UISegmentedControl"},
                                                 {"segmentBGImageView", "UIImageView"},
                                                 {"lblClerkName", "ShadowLabel"},
                                             }));
    for (const auto* v : views) {
        if (v->className == "UISegmentedControl") {
            EXPECT_EQ(v->properties.at("segments").size(), 8u);
        }
    }
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

TEST_F(ShippedInterfaceFilesTest, TheOrderingStoryboardAndTheNibsHaveWhatTheFloorAsksFor)
{
    auto contents = foodOrder();
    ASSERT_TRUE(contents);
    EXPECT_TRUE(contents->sceneWithID(contents->initialScene));
    ASSERT_TRUE(contents->sceneWithIdentifier("vipCardFreeView"));
    EXPECT_EQ(contents->sceneWithIdentifier("vipCardFreeView")->className, "VipCardFreeViewController");
    ASSERT_TRUE(contents->sceneWithIdentifier("billVew"));
    EXPECT_EQ(contents->sceneWithIdentifier("billVew")->className, "BillViewController");

    const std::map<std::string, std::map<std::string, std::string>> nibs {
        {"RoomStateCell",
         {{"lblRoomNo", "ShadowLabel"},
          {"lblKeRenXingMing", "ShadowLabel"},
          {"lblDingFangRen", "ShadowLabel"},
          {"lblDaoDaShiJian", "ShadowLabel"},
          {"lblYuDingShiJian", "ShadowLabel"}}},
        {"RoomTypeCell", {{"lblName", "ShadowLabel"}}},
        {"RoomInfoBarView",
         {{"lblRoomName", "ShadowLabel"},
          {"lblDingFangRen", "ShadowLabel"},
          {"lblYiXiaoFei", "ShadowLabel"},
          {"qnLogo", "UIImageView"}}},
    };
    for (const auto& [name, outlets] : nibs) {
        auto nib = InterfaceFileReader::nib(name);
        ASSERT_TRUE(nib) << name;
        ASSERT_FALSE(nib->views.empty()) << name;
        // The code takes the last top-level view, of the nib's own class, holding the outlets.
        const auto& top = nib->views.back();
        EXPECT_EQ(top.className, name);
        EXPECT_EQ(outletsHeldBy(viewsOf(top), top.id), outlets) << name;
    }
}
