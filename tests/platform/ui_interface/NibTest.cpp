#include "InterfaceTestSupport.h"

#include "platform/ui/UIButton.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UINib.h"
#include "platform/ui/UITableView.h"
#include "platform/ui/UITextField.h"

namespace {

class Tile : public UIView {
public:
    using UIView::UIView;
    std::shared_ptr<UILabel> name;
    std::shared_ptr<UILabel> detail;
    void setName(std::shared_ptr<UILabel> label) { name = std::move(label); }
};

class Panel : public UIViewController, public UITextFieldDelegate {
public:
    std::shared_ptr<UIButton> closeButton;
    int closes = 0;
    void setCloseButton(std::shared_ptr<UIButton> button) { closeButton = std::move(button); }
    void close(UIControl&) { ++closes; }
};

class NibTest : public InterfaceTest {
protected:
    void SetUp() override
    {
        InterfaceTest::SetUp();
        registerPlatformInterfaceClasses();
        auto& registry = InterfaceRegistry::shared();
        registry.registerViewClass<Tile>("Tile", "UIView")
            .outlet("name", &Tile::setName)
            .outlet("detail", [](Tile& tile, const std::shared_ptr<UIView>& view) {
                tile.detail = std::dynamic_pointer_cast<UILabel>(view);
            });
        registry.registerControllerClass<Panel>("Panel", "UIViewController")
            .outlet("closeButton", &Panel::setCloseButton)
            .action("close:", &Panel::close);
        writeInterfaceFile("Tile.nib.json", R"({ "ownerClass": "Panel", "views": [
          { "class": "UIView", "frame": [0, 0, 5, 5] },
          { "class": "Tile", "id": "tile", "frame": [0, 0, 80, 46], "properties": { "backgroundColor": "#00CC00" },
            "subviews": [
              { "class": "UILabel", "frame": [2, 2, 76, 20], "outlets": { "name": "tile" } },
              { "class": "UILabel", "frame": [2, 24, 76, 20], "outlets": { "detail": "tile" } },
              { "class": "UIButton", "frame": [60, 0, 20, 20], "outlets": { "closeButton": "owner" },
                "actions": [ { "event": "touchUpInside", "selector": "close:", "target": "owner" } ] },
              { "class": "UITextField", "delegate": "owner" },
              { "class": "UITableView", "dataSource": "owner" } ] } ] })");
    }
};

} // namespace

TEST_F(NibTest, TopLevelViewsComeInFileOrderWithOutletsBetweenThemAndNoOwnerConnections)
{
    const auto views = UINib::loadNibNamed("Tile");
    ASSERT_EQ(views.size(), 2u);
    auto tile = std::dynamic_pointer_cast<Tile>(views.back());
    ASSERT_TRUE(tile);
    EXPECT_EQ(tile->frame(), CGRectMake(0, 0, 80, 46));
    ASSERT_TRUE(tile->name && tile->detail);
    EXPECT_EQ(tile->name->superview(), tile.get());
    EXPECT_EQ(tile->detail->frame().origin.y, 24);
    // Without an owner the owner's connections stay unset.
    auto button = std::dynamic_pointer_cast<UIButton>(tile->subviews().at(2));
    ASSERT_TRUE(button);
    EXPECT_EQ(button->allControlEvents(), 0u);

    // Every instantiation builds new views.
    auto another = std::dynamic_pointer_cast<Tile>(UINib::loadNibNamed("Tile").back());
    EXPECT_NE(another, tile);
    EXPECT_NE(another->name, tile->name);
}

TEST_F(NibTest, TheOwnerGetsItsOutletsActionsAndTheLinksItAdoptsWithoutBeingKeptAlive)
{
    auto panel = std::make_shared<Panel>();
    auto nib = UINib::nibWithName("Tile");
    ASSERT_TRUE(nib);
    auto views = nib->instantiateWithOwner(std::static_pointer_cast<UIViewController>(panel));
    ASSERT_TRUE(panel->closeButton);
    const auto& inTile = views.back()->subviews();
    EXPECT_EQ(std::dynamic_pointer_cast<UITextField>(inTile.at(3))->delegate().get(), panel.get());
    EXPECT_FALSE(std::dynamic_pointer_cast<UITableView>(inTile.at(4))->dataSource());
    EXPECT_TRUE(log.contains("dataSource 'owner' of UITableView does not adopt its protocol"));
    EXPECT_TRUE(panel->closeButton->tap());
    EXPECT_EQ(panel->closes, 1);

    std::weak_ptr<Panel> weak = panel;
    auto button = panel->closeButton;
    panel.reset();
    EXPECT_TRUE(weak.expired()); // the button's action holds its target weakly
    EXPECT_TRUE(button->tap());  // and a tap after the owner is gone does nothing
}

TEST_F(NibTest, BadNibsGiveNoViews)
{
    EXPECT_EQ(UINib::nibWithName("Nothing"), nullptr);
    EXPECT_TRUE(log.contains("Could not load the nib named 'Nothing'"));
    EXPECT_TRUE(UINib::loadNibNamed("Nothing").empty());

    const std::pair<const char*, const char*> cases[] = {
        {R"({ "views": [] })", ""}, // nothing to build, nothing wrong
        {R"({ "views": [ { "class": "UILabel", "outlets": { "name": "owner" } } ] })",
         "goes to the owner, but the file names no owner class"},
        {R"({ "views": [ { "class": "RoomTile" } ] })", "unknown view class 'RoomTile'"},
        {R"({ "views": { "class": "UIView" } })", "'views' must be a list"},
    };
    int n = 0;
    for (const auto& [text, logged] : cases) {
        const std::string name = "Bad" + std::to_string(n++);
        writeInterfaceFile(name + ".nib.json", text);
        EXPECT_TRUE(UINib::loadNibNamed(name).empty()) << text;
        EXPECT_TRUE(!*logged || log.contains(logged)) << logged;
    }
}
