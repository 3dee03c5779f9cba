#include "InterfaceTestSupport.h"

#include "platform/ui/UIButton.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UINavigationController.h"
#include "platform/ui/UIScrollView.h"
#include "platform/ui/UIStoryboard.h"

namespace {

class StartScreen : public UIViewController {
public:
    std::shared_ptr<UILabel> titleLabel;
    std::string titleAtLoad = "(not connected)";
    std::vector<std::string> prepared;
    const void* preparedSender = nullptr;

    void setTitleLabel(std::shared_ptr<UILabel> label) { titleLabel = std::move(label); }
    void viewDidLoad() override { titleAtLoad = titleLabel ? titleLabel->text() : "(not connected)"; }
    void go(UIControl&) { performSegueWithIdentifier("next", this); }
    void prepareForSegue(UIStoryboardSegue& segue, const void* sender) override
    {
        prepared.push_back(segue.identifier() + " to " + segue.destinationViewController()->storyboardSceneID());
        preparedSender = sender;
    }
};

class DetailScreen : public UIViewController {
public:
    std::shared_ptr<UIScrollView> list;
    void setList(std::shared_ptr<UIScrollView> view) { list = std::move(view); }
};

const char* const Storyboard = R"({
  "initialScene": "first",
  "scenes": [
    { "id": "first", "class": "StartScreen", "title": "Start",
      "navigationController": { "navigationBarHidden": true },
      "view": { "class": "UIView", "frame": [0, 0, 1024, 768], "properties": { "backgroundColor": "#102030" },
        "subviews": [
          { "class": "UILabel", "frame": [10, 10, 200, 30], "tag": 7, "outlets": { "titleLabel": "owner" },
            "properties": { "text": "Floor", "textColor": "white", "font": { "boldSystem": 20 }, "textAlignment": "center" } },
          { "class": "UIButton", "frame": [10, 50, 100, 40], "properties": { "title": "Go" },
            "actions": [ { "event": "touchUpInside", "selector": "go:" } ] } ] } },
    { "id": "second", "identifier": "detail", "class": "DetailScreen",
      "view": { "class": "UIView", "frame": [0, 0, 1024, 768],
        "subviews": [ { "class": "UIScrollView", "frame": [0, 100, 1024, 600], "outlets": { "list": "owner" },
                        "properties": { "pagingEnabled": true } } ] } },
    { "id": "plain", "identifier": "plain", "class": "UIViewController" }
  ],
  "segues": [
    { "identifier": "next", "source": "first", "destination": "second", "kind": "push" },
    { "identifier": "cover", "source": "first", "destination": "second", "kind": "modal" },
    { "identifier": "stray", "source": "second", "destination": "plain", "kind": "push" }
  ]
})";

// A file of the one scene "a", with the given view or the given segues.
std::string withView(const std::string& view)
{
    return R"({ "initialScene": "a", "scenes": [ { "id": "a", "class": "UIViewController", "view": )" + view + " } ] }";
}
std::string withSegues(const std::string& segues)
{
    return R"({ "initialScene": "a", "scenes": [ { "id": "a", "class": "UIViewController" } ], "segues": )" + segues
           + " }";
}

class StoryboardTest : public InterfaceTest {
protected:
    void SetUp() override
    {
        InterfaceTest::SetUp();
        registerPlatformInterfaceClasses();
        auto& registry = InterfaceRegistry::shared();
        registry.registerControllerClass<StartScreen>("StartScreen", "UIViewController")
            .outlet("titleLabel", &StartScreen::setTitleLabel)
            .action("go:", &StartScreen::go);
        registry.registerControllerClass<DetailScreen>("DetailScreen", "UIViewController")
            .outlet("list", &DetailScreen::setList);
        writeInterfaceFile("Test.storyboard.json", Storyboard);
    }

    std::shared_ptr<StartScreen> startFrom(const std::shared_ptr<UIViewController>& initial)
    {
        auto navigation = std::dynamic_pointer_cast<UINavigationController>(initial);
        return navigation ? std::dynamic_pointer_cast<StartScreen>(navigation->topViewController()) : nullptr;
    }
};

} // namespace

TEST_F(StoryboardTest, TheInitialSceneComesInItsNavigationControllerWithOutletsSetBeforeViewDidLoad)
{
    auto storyboard = UIStoryboard::storyboardWithName("Test");
    ASSERT_TRUE(storyboard);
    auto initial = storyboard->instantiateInitialViewController();
    auto navigation = std::dynamic_pointer_cast<UINavigationController>(initial);
    ASSERT_TRUE(navigation);
    EXPECT_TRUE(navigation->isNavigationBarHidden());
    auto start = startFrom(initial);
    ASSERT_TRUE(start);
    EXPECT_EQ(start->storyboard(), storyboard);
    EXPECT_EQ(start->title(), "Start");
    EXPECT_FALSE(start->isViewLoaded()); // views are built on first use

    show(navigation);
    EXPECT_EQ(start->titleAtLoad, "Floor");
    ASSERT_TRUE(start->titleLabel);
    EXPECT_EQ(start->titleLabel->textAlignment(), NSTextAlignment::Center);
    EXPECT_EQ(start->titleLabel->font()->pointSize(), 20);
    EXPECT_TRUE(start->titleLabel->font()->isBold());
    const auto background = start->view()->backgroundColor()->rgba();
    EXPECT_NEAR(background.red, 0x10 / 255.0, 1e-9);
    EXPECT_NEAR(background.blue, 0x30 / 255.0, 1e-9);

    // Each instantiation is a new controller with a new view tree.
    auto again = startFrom(storyboard->instantiateInitialViewController());
    ASSERT_TRUE(again);
    EXPECT_NE(again, start);
    again->view();
    EXPECT_NE(again->titleLabel, start->titleLabel);
}

TEST_F(StoryboardTest, AButtonActionPerformsAPushSegueAfterPrepareForSegue)
{
    auto initial = UIStoryboard::storyboardWithName("Test")->instantiateInitialViewController();
    auto start = startFrom(initial);
    ASSERT_TRUE(start);
    show(initial);
    auto button = std::dynamic_pointer_cast<UIButton>(start->view()->subviews().at(1));
    ASSERT_TRUE(button);
    EXPECT_TRUE(button->tap());
    EXPECT_EQ(start->prepared, (std::vector<std::string> {"next to second"}));
    EXPECT_EQ(start->preparedSender, start.get());
    auto navigation = start->navigationController();
    ASSERT_TRUE(navigation);
    auto detail = std::dynamic_pointer_cast<DetailScreen>(navigation->topViewController());
    ASSERT_TRUE(detail);
    settle();
    ASSERT_TRUE(detail->list);
    EXPECT_TRUE(detail->list->isPagingEnabled());
}

TEST_F(StoryboardTest, AModalSeguePresentsAndScenesAreFoundByIdentifier)
{
    auto storyboard = UIStoryboard::storyboardWithName("Test");
    auto initial = storyboard->instantiateInitialViewController();
    show(initial);
    auto start = startFrom(initial);
    start->performSegueWithIdentifier("cover", nullptr);
    auto presented = std::dynamic_pointer_cast<DetailScreen>(initial->presentedViewController());
    ASSERT_TRUE(presented);
    EXPECT_EQ(presented->storyboard(), storyboard);

    auto plain = storyboard->instantiateViewControllerWithIdentifier("plain");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->view()->frame(), UIScreen::mainScreen().bounds()); // a scene without a view gets a plain one
}

TEST_F(StoryboardTest, UnknownNamesLogAndGiveNothing)
{
    EXPECT_EQ(UIStoryboard::storyboardWithName("Missing"), nullptr);
    EXPECT_TRUE(log.contains("Could not find a storyboard named 'Missing'"));
    EXPECT_EQ(UIStoryboard::storyboardWithName("../interface/Test"), nullptr);

    auto storyboard = UIStoryboard::storyboardWithName("Test");
    EXPECT_EQ(storyboard->instantiateViewControllerWithIdentifier("nowhere"), nullptr);
    EXPECT_TRUE(log.contains("doesn't contain a view controller with identifier 'nowhere'"));
    EXPECT_EQ(storyboard->instantiateViewControllerWithIdentifier(""), nullptr);

    auto initial = storyboard->instantiateInitialViewController();
    show(initial);
    auto start = startFrom(initial);
    start->performSegueWithIdentifier("nowhere", nullptr);
    EXPECT_TRUE(log.contains("has no segue with identifier 'nowhere'"));
    EXPECT_TRUE(start->prepared.empty());
    EXPECT_EQ(initial->presentedViewController(), nullptr);
    EXPECT_EQ(start->navigationController()->viewControllers().size(), 1u);

    // A controller made in code has no storyboard to find segues in.
    auto loose = std::make_shared<StartScreen>();
    loose->performSegueWithIdentifier("next", nullptr);
    EXPECT_TRUE(log.contains("was not made from a storyboard"));

    // A push from a scene outside any navigation controller.
    auto detail = std::dynamic_pointer_cast<DetailScreen>(storyboard->instantiateViewControllerWithIdentifier("detail"));
    ASSERT_TRUE(detail);
    window->setRootViewController(detail);
    detail->performSegueWithIdentifier("stray", nullptr);
    EXPECT_TRUE(log.contains("not inside a navigation controller"));
}

TEST_F(StoryboardTest, ScenesThatNameWhatIsNotRegisteredAreNotMade)
{
    struct Case {
        const char* controllerClass;
        const char* view; // empty for a scene without one
        const char* logged;
    };
    const Case cases[] = {
        {"NoSuchScreen", "", "unknown view controller class 'NoSuchScreen'"},
        {"UILabel", "", "UILabel is not a view controller class"},
        {"StartScreen", R"({ "class": "UIFancyView" })", "unknown view class 'UIFancyView'"},
        {"StartScreen", R"({ "class": "UIViewController" })", "unknown view class 'UIViewController'"},
        {"StartScreen", R"({ "class": "UILabel", "outlets": { "subtitleLabel": "owner" } })",
         "StartScreen has no outlet 'subtitleLabel'"},
        {"StartScreen", R"({ "class": "UIButton", "actions": [ { "event": "touchUpInside", "selector": "leave:" } ] })",
         "StartScreen has no action 'leave:'"},
        {"StartScreen", R"({ "class": "UILabel", "actions": [ { "event": "touchUpInside", "selector": "go:" } ] })",
         "UILabel is not one"},
        {"StartScreen", R"({ "class": "UILabel", "properties": { "colour": "red" } })", "UILabel has no property 'colour'"},
        {"StartScreen", R"({ "class": "UILabel", "delegate": "owner" })", "UILabel has no 'delegate'"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = "Case" + std::to_string(n++);
        const std::string scene = R"({ "id": "s", "identifier": "x", "class": ")" + std::string(c.controllerClass) + "\""
                                  + (*c.view ? std::string(R"(, "view": )") + c.view : "") + " }";
        writeInterfaceFile(name + ".storyboard.json", R"({ "initialScene": "s", "scenes": [ )" + scene + " ] }");
        auto storyboard = UIStoryboard::storyboardWithName(name);
        ASSERT_TRUE(storyboard) << name;
        EXPECT_EQ(storyboard->instantiateViewControllerWithIdentifier("x"), nullptr) << name;
        EXPECT_EQ(storyboard->instantiateInitialViewController(), nullptr) << name;
        EXPECT_TRUE(log.contains(c.logged)) << c.logged;
    }
}

TEST_F(StoryboardTest, WrongValuesAreLeftOutAndLogged)
{
    writeInterfaceFile("Values.storyboard.json", R"({ "initialScene": "s", "scenes": [
      { "id": "s", "class": "StartScreen", "view": { "class": "UIView", "subviews": [
        { "class": "UILabel", "outlets": { "titleLabel": "owner" },
          "properties": { "text": 12, "textColor": "#12345", "font": { "system": -3 }, "numberOfLines": 2 } },
        { "class": "UIScrollView", "outlets": { "titleLabel": "owner" } } ] } } ] })");
    auto controller = UIStoryboard::storyboardWithName("Values")->instantiateInitialViewController();
    auto start = std::dynamic_pointer_cast<StartScreen>(controller);
    ASSERT_TRUE(start);
    start->view();
    ASSERT_TRUE(start->titleLabel);
    EXPECT_EQ(start->titleLabel->text(), "");
    EXPECT_EQ(start->titleLabel->numberOfLines(), 2);
    EXPECT_TRUE(log.contains("UILabel cannot take 12 as its 'text'"));
    EXPECT_TRUE(log.contains("as its 'textColor'"));
    EXPECT_TRUE(log.contains("as its 'font'"));
    // An outlet that takes a label refuses a scroll view, and keeps the label.
    EXPECT_TRUE(log.contains("outlet 'titleLabel' of StartScreen cannot hold a UIScrollView"));
}

TEST_F(StoryboardTest, MalformedFilesLogWhereTheFaultLies)
{
    struct Case {
        std::string text;
        const char* logged;
    };
    const Case cases[] = {
        {"{ not json", "it is not JSON"},
        {"[]", "the file must hold an object"},
        {R"({ "scenes": [ { "id": "a", "class": "UIViewController" } ] })", "'initialScene' is missing"},
        {R"({ "initialScene": "a", "scenes": [] })", "'scenes' must be a list of at least one scene"},
        {R"({ "initialScene": "b", "scenes": [ { "id": "a", "class": "UIViewController" } ] })",
         "the initial scene 'b' is not among the scenes"},
        {R"({ "initialScene": "a", "scenes": [ { "id": "a", "class": "UIViewController" },
                                                { "id": "a", "class": "UIViewController" } ] })",
         "scenes[1]: the scene id 'a' is used twice"},
        {R"({ "initialScene": "a", "scenes": [ { "id": "a", "class": "UIViewController", "identifier": "x" },
                                                { "id": "b", "class": "UIViewController", "identifier": "x" } ] })",
         "the identifier 'x' is used twice"},
        {withView(R"({ "class": "UIView", "frame": [0, 0, 10] })"), "scenes[0].view: 'frame' must be four numbers"},
        {withView(R"({ "class": "UIView", "frame": [0, 0, -10, 5] })"), "'frame' has a negative size"},
        {withView(R"({ "class": "UIView", "tag": 1.5 })"), "'tag' must be an integer"},
        {withView(R"({ "class": "UIView", "subviews": [ { "class": "UILabel", "id": "l" }, { "class": "UILabel", "id": "l" } ] })"),
         "scenes[0].view.subviews[1]: the id 'l' is used twice"},
        {withView(R"({ "class": "UILabel", "outlets": { "x": "ghost" } })"),
         "outlet 'x' is held by 'ghost', which is not in the file"},
        {withView(R"({ "class": "UIButton", "actions": [ { "event": "tap", "selector": "go:" } ] })"),
         "unknown control event \"tap\""},
        {withSegues(R"([ { "identifier": "s", "source": "a", "destination": "z", "kind": "push" } ])"),
         "segues[0]: the segue 's' joins scenes that are not in the file"},
        {withSegues(R"([ { "identifier": "s", "source": "a", "destination": "a", "kind": "sideways" } ])"),
         "the kind 'sideways' is neither push nor modal"},
        {withSegues(R"([ { "identifier": "s", "source": "a", "destination": "a", "kind": "modal" },
                         { "identifier": "s", "source": "a", "destination": "a", "kind": "push" } ])"),
         "the segue 's' leaves its scene twice"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = "Bad" + std::to_string(n++);
        writeInterfaceFile(name + ".storyboard.json", c.text);
        EXPECT_EQ(UIStoryboard::storyboardWithName(name), nullptr) << c.text;
        EXPECT_TRUE(log.contains("Interface file " + name + ".storyboard.json is malformed")) << c.text;
        EXPECT_TRUE(log.contains(c.logged)) << c.logged;
    }
}
