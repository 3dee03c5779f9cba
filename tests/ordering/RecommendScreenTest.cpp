#include "tests/rooms/ScreenTestSupport.h"

#include "kit/carousel/CarouselView.h"
#include "kit/snapshot/SnapshotStackView.h"
#include "ordering/FoodView.h"
#include "ordering/RecommendViewController.h"
#include "platform/ui/UIButton.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UIPageControl.h"
#include "rooms/RoomStatesViewController.h"
#include "session/records/OKFolioObject.h"
#include "tests/image/ImageTestSupport.h"

namespace {

// The recommended dishes, with the venue's pictures.
class RecommendScreenTest : public ScreenTest {
protected:
    ImageTestRig pictures;
    SharedManagerOnRig shared {pictures};
};

TEST_F(RecommendScreenTest, ShowsTheVenuesRecommendedDishesWithWhatTheBasketHolds)
{
    SocketDataHandle::sharedInstance().getTmpSelectFood().foodSetArray = {
        std::make_shared<OKFolioObject>(OKFolioObject {.FoodNo = "2002", .Quantity = "2"}),
        std::make_shared<OKFolioObject>(OKFolioObject {.FoodNo = "1001", .Quantity = "5"}),
        std::make_shared<OKFolioObject>(OKFolioObject {.FoodNo = "2002", .Quantity = "1"})};
    // Opened from a room's ordering screen, against the shipped venue.
    startServer({}, "1");
    UserDefaults::standard().setObject("webService_Port", std::to_string(server->picturePort()));
    launch();
    auto floor = waitForScreen<RoomStatesViewController>();
    ASSERT_TRUE(floor);
    DataCenter::sharedInstance().roomNo = "A04";
    floor->showOrderViewController();
    auto order = waitForScreen<OrderViewController>();
    ASSERT_TRUE(order);
    for (const auto& view : order->view()->subviews())
        if (auto button = std::dynamic_pointer_cast<UIButton>(view); button && button->currentTitle() == "推荐菜品")
            button->tap();
    auto screen = waitForScreen<RecommendViewController>();
    ASSERT_TRUE(screen);
    RunLoop::main().runUntil([&] { return !screen->foods().empty(); }, 5.0);
    EXPECT_TRUE(logged("request 104 fields=[]"));
    ASSERT_EQ(screen->foods().size(), 6u);
    EXPECT_EQ(screen->pageControl()->numberOfPages(), 6);
    EXPECT_EQ(screen->lblFoodName()->text(), "威士忌（12年）");
    EXPECT_EQ(screen->lblCount()->text(), "0");

    auto& flow = *screen->flowView();
    flow.layoutIfNeeded();
    const auto page = std::dynamic_pointer_cast<UIImageView>(flow.pageViewAtIndex(0));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->frame().size, CGSizeMake(800, 550));
    EXPECT_DOUBLE_EQ(page->layer().cornerRadius, 6);
    // The dish's picture comes from the venue's picture page through the downloader.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return page->image() != nullptr; }, 5.0));
    EXPECT_EQ(logged("picture GET /GetPhoto.aspx id=1101 200"), 1u);
    EXPECT_GT(page->image()->size().width, 100);
    EXPECT_DOUBLE_EQ(flow.pageViewAtIndex(1)->alpha(), 0.5);
    keepScreenPicture("ordering-recommended-dishes-carousel");

    // A swipe to the second dish; then a tap on the page control's right side to the third.
    flow.scrollView()->setContentOffset(CGPointMake(800, 0));
    flow.scrollViewDidEndDecelerating(*flow.scrollView());
    EXPECT_EQ(screen->currentFoodIndex(), 1);
    EXPECT_EQ(screen->lblFoodName()->text(), "时令果盘（大）");
    EXPECT_EQ(screen->lblCount()->text(), "3");
    EXPECT_FALSE(screen->lblPrice()->text().empty());
    EXPECT_FALSE(screen->lblMonad()->text().empty());
    const CGRect dots = screen->pageControl()->bounds();
    EXPECT_TRUE(screen->pageControl()->tapAtPoint(CGPointMake(CGRectGetMaxX(dots) - 2, CGRectGetMidY(dots))));
    EXPECT_EQ(flow.scrollView()->contentOffset(), CGPointMake(1600, 0));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return screen->currentFoodIndex() == 2; }, 2.0));
    EXPECT_EQ(screen->lblFoodName()->text(), screen->foods()[2]->NameChs);
}

TEST_F(RecommendScreenTest, DishCardStacksItsPhotographOverTheDefaultPicture)
{
    auto card = FoodView::initWithXib();
    ASSERT_TRUE(card);
    EXPECT_DOUBLE_EQ(card->foodImageView()->layer().cornerRadius, 8);
    EXPECT_TRUE(card->snapshotView()->displayAsStack());
    ASSERT_TRUE(card->snapshotView()->DefaultImage());
    EXPECT_FALSE(card->snapshotView()->DefaultImage()->isPlaceholder()) << "DefaultImage.jpg ships";
}

TEST_F(RecommendScreenTest, NoRecommendedDishesLeaveTheScreenBlank)
{
    auto screen = std::dynamic_pointer_cast<RecommendViewController>(
        UIStoryboard::storyboardWithName("Storyboard_FoodOrder")->instantiateViewControllerWithIdentifier("recommendView"));
    ASSERT_TRUE(screen && screen->view());
    screen->socketDataHandleDidFoodList({});
    screen->didScrollToPage(0, *screen->flowView());
    EXPECT_EQ(screen->lblFoodName()->text(), "");
    EXPECT_EQ(screen->flowView()->visibleRange(), NSRange {});
}

} // namespace
