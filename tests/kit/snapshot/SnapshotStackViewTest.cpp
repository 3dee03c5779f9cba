#include "kit/snapshot/SnapshotStackView.h"
#include "platform/graphics/CGContext.h"
#include "platform/ui/ViewRenderer.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/support/InkBox.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>


// The card, the stack and the picture on them, checked by the pixels the renderer draws.

namespace {

using Pixel = UIImage::Pixel;

UIImagePtr redPicture(CGFloat width, CGFloat height)
{
    auto context = CGContext::createBitmap(CGSizeMake(width, height), 1, true);
    context->setFillColor(UIColor::redColor());
    context->fillRect(CGRectMake(0, 0, width, height));
    return context->makeImage();
}

bool red(const Pixel& p) { return p.alpha > 200 && p.red > 200 && p.green < 60; }
bool white(const Pixel& p) { return p.alpha > 240 && p.red > 240 && p.green > 240 && p.blue > 240; }

std::shared_ptr<UIImage> render(CGSize viewSize, UIImagePtr picture, bool stack)
{
    auto view = SnapshotStackView::create(CGRectMake(0, 0, viewSize.width, viewSize.height));
    view->setDisplayAsStack(stack);
    view->setImage(std::move(picture));
    return ViewRenderer::render(*view);
}

struct CardCase {
    const char* name;
    CGSize picture;
    InkBox expected; // of the picture on the card
};
// Printed by name in test listings and failures.
inline void PrintTo(const CardCase& row, std::ostream* out) { *out << row.name; }

class SingleCard : public testing::TestWithParam<CardCase> {};

// A 300 x 200 view: a landscape picture spans the width less 14 (less the 6.5-point margin
// on each side of the card); a portrait one the height less 24.
TEST_P(SingleCard, PictureSitsOnTheCardScaledToTheView)
{
    const auto drawn = render(CGSizeMake(300, 200), redPicture(GetParam().picture.width, GetParam().picture.height), false);
    const InkBox got = inkOf(*drawn, red);
    const InkBox& want = GetParam().expected;
    EXPECT_NEAR(got.minX, want.minX, 1);
    EXPECT_NEAR(got.maxX, want.maxX, 1);
    EXPECT_NEAR(got.minY, want.minY, 1);
    EXPECT_NEAR(got.maxY, want.maxY, 1);
    EXPECT_TRUE(white(drawn->pixelAt(got.minX - 3, (got.minY + got.maxY) / 2))) << "white card left of the picture";
}

INSTANTIATE_TEST_SUITE_P(SnapshotStack, SingleCard,
                         testing::Values(CardCase {"Landscape", {200, 100}, {7, 23, 292, 165}},
                                         CardCase {"Portrait", {100, 200}, {106, 7, 193, 182}}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(SnapshotStack, SingleCardShadowCurlsDeeperAtTheCorners)
{
    const auto drawn = render(CGSizeMake(300, 200), redPicture(200, 100), false);
    const InkBox card = inkOf(*drawn, white);
    const auto shade = [&](int x) { return drawn->pixelAt(x, card.maxY + 3).alpha; };
    EXPECT_GT(shade(card.minX + 8), shade(150) + 20);
    EXPECT_GT(shade(card.maxX - 8), shade(150) + 20);
}

TEST(SnapshotStack, StackShowsTurnedCardsBehindTheUnturnedOneThatCarriesThePicture)
{
    const auto drawn = render(CGSizeMake(300, 300), redPicture(200, 100), true);
    const InkBox picture = inkOf(*drawn, red);
    const InkBox cards = inkOf(*drawn, white);
    ASSERT_GE(picture.maxX, 0);
    // The picture is upright: its rows are full from edge to edge.
    EXPECT_TRUE(red(drawn->pixelAt(picture.minX + 1, picture.minY + 1)));
    EXPECT_TRUE(red(drawn->pixelAt(picture.maxX - 1, picture.maxY - 1)));
    // The turned cards reach out beyond the top card's outline.
    EXPECT_LT(cards.minY, picture.minY - 8);
    EXPECT_GT(cards.maxY, picture.maxY + 8);
}

// A picture much smaller than the view: the stack grows to fit the view and no further.
TEST(SnapshotStack, SmallPictureIsNeverScaledPastTheView)
{
    const auto drawn = render(CGSizeMake(100, 100), redPicture(40, 10), true);
    const InkBox picture = inkOf(*drawn, red);
    ASSERT_GE(picture.maxX, 0);
    EXPECT_GT(picture.minX, 3);
    EXPECT_LT(picture.maxX, 96);
    EXPECT_GT(picture.maxX - picture.minX, 60) << "still scaled up to fit";
}

TEST(SnapshotStack, NoPictureDrawsNothingNotEvenOneTakenAway)
{
    auto view = SnapshotStackView::create(CGRectMake(0, 0, 120, 120));
    view->setDisplayAsStack(true);
    EXPECT_EQ(inkOf(*ViewRenderer::render(*view), white).maxX, -1);
    view->setImage(redPicture(50, 50));
    view->setImage(nullptr);
    EXPECT_EQ(inkOf(*ViewRenderer::render(*view), red).maxX, -1);
}

TEST(SnapshotStack, TakesItsPictureFromTheLatestAddress)
{
    ImageTestRig rig;
    SharedManagerOnRig shared(rig);
    TestHttpServer server;
    server.serve("/photo.jpg", testPicture("photo.jpg"));
    TestHttpServer::Reply slow;
    slow.body = testPicture("grey.jpg");
    slow.hold = 0.3;
    server.setReply("/slow.jpg", slow);

    auto view = SnapshotStackView::create(CGRectMake(0, 0, 200, 150));
    view->setImageWithURL(NSURL::URLWithString(server.url("/slow.jpg")));
    view->setImageWithURL(std::nullopt); // lets go of the slow load
    pump([] { return false; }, 0.5);
    EXPECT_FALSE(view->image());

    view->setImageWithURL(NSURL::URLWithString(server.url("/slow.jpg")));
    view->setImageWithURL(NSURL::URLWithString(server.url("/photo.jpg")));
    ASSERT_TRUE(pump([&] { return view->image() != nullptr; }));
    pump([] { return false; }, 0.5);
    EXPECT_TRUE(red(view->image()->pixelAt(0, 0))) << "the latest address's picture (red and blue), not the grey one";
}

} // namespace
