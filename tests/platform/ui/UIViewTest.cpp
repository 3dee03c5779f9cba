#include "tests/support/GeometryPrinting.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIWindow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {
class RecordingView : public UIView {
public:
    using UIView::UIView;
    int layouts = 0;
    int windowMoves = 0;
    void layoutSubviews() override { ++layouts; }
    void didMoveToWindow() override { ++windowMoves; }
};
} // namespace

TEST(UIView, FrameCenterBoundsAndTransform)
{
    auto view = UIView::create(CGRectMake(10, 20, 100, 40));
    EXPECT_EQ(view->center(), (CGPoint {60, 40}));
    EXPECT_EQ(view->bounds(), CGRectMake(0, 0, 100, 40));

    // A translation moves the frame but not the center; setting the frame then keeps the
    // translation and places the center under it.
    view->setTransform(CGAffineTransformMakeTranslation(0, -40));
    EXPECT_EQ(view->frame(), CGRectMake(10, -20, 100, 40));
    view->setFrame(CGRectMake(0, 0, 200, 20));
    EXPECT_EQ(view->frame(), CGRectMake(0, 0, 200, 20));
    EXPECT_EQ(view->center(), (CGPoint {100, 50}));
    view->setTransform(CGAffineTransformIdentity);
    EXPECT_EQ(view->frame(), CGRectMake(0, 40, 200, 20));

    // A scale is undone to find the bounds size.
    view->setTransform(CGAffineTransformMakeScale(0.5, 0.5));
    view->setFrame(CGRectMake(0, 0, 50, 10));
    EXPECT_EQ(view->bounds().size, (CGSize {100, 20}));

    // Frames that are not finite are ignored rather than spread through the tree.
    view->setTransform(CGAffineTransformIdentity);
    view->setFrame(CGRectMake(NAN, 0, 1, 1));
    view->setCenter({INFINITY, 0});
    EXPECT_TRUE(std::isfinite(view->frame().origin.x));
}

TEST(UIView, AutoresizingSharesTheChangeAmongFlexibleParts)
{
    auto parent = UIView::create(CGRectMake(0, 0, 300, 200));
    auto stretching = UIView::create(CGRectMake(10, 10, 100, 50));
    stretching->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleBottomMargin);
    auto pinnedRight = UIView::create(CGRectMake(250, 10, 40, 40));
    pinnedRight->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
    auto proportional = UIView::create(CGRectMake(100, 0, 100, 200));
    proportional->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleWidth
                                      | UIViewAutoresizingFlexibleRightMargin);
    auto fixed = UIView::create(CGRectMake(5, 5, 10, 10));
    for (const auto& v : {stretching, pinnedRight, proportional, fixed})
        parent->addSubview(v);

    parent->setFrame(CGRectMake(0, 0, 600, 100));
    EXPECT_EQ(stretching->frame(), CGRectMake(10, 10, 400, 50));
    EXPECT_EQ(pinnedRight->frame(), CGRectMake(550, 10, 40, 40));
    // Margins of 100 and 100 and a width of 100 share 300 points equally.
    EXPECT_EQ(proportional->frame(), CGRectMake(200, 0, 200, 200));
    EXPECT_EQ(fixed->frame(), CGRectMake(5, 5, 10, 10));

    parent->setAutoresizesSubviews(false);
    parent->setFrame(CGRectMake(0, 0, 100, 100));
    EXPECT_EQ(stretching->frame(), CGRectMake(10, 10, 400, 50));
}

TEST(UIView, HierarchyMovesAndRefusesCycles)
{
    auto a = UIView::create(), b = UIView::create(), c = UIView::create(), d = UIView::create();
    a->addSubview(b);
    a->addSubview(c);
    a->insertSubviewBelowSubview(d, c.get());
    ASSERT_EQ(a->subviews().size(), 3u);
    EXPECT_EQ(a->subviews()[1], d);
    a->bringSubviewToFront(b.get());
    EXPECT_EQ(a->subviews().back(), b);
    a->sendSubviewToBack(b.get());
    EXPECT_EQ(a->subviews().front(), b);

    // Moving a view takes it from its old superview.
    c->addSubview(d);
    EXPECT_EQ(d->superview(), c.get());
    EXPECT_EQ(a->subviews().size(), 2u);

    // A view cannot contain itself or an ancestor.
    d->addSubview(a);
    d->addSubview(d);
    EXPECT_EQ(a->superview(), nullptr);
    EXPECT_TRUE(d->subviews().empty());

    d->setTag(7);
    c->setTag(7);
    EXPECT_EQ(a->viewWithTag(7), c); // depth first, the nearer match wins
    EXPECT_EQ(a->viewWithTag(99), nullptr);

    // A superview that goes away leaves its subviews without a dangling back reference.
    auto orphan = UIView::create();
    {
        auto temporary = UIView::create();
        temporary->addSubview(orphan);
    }
    EXPECT_EQ(orphan->superview(), nullptr);
}

TEST(UIView, WindowMembershipAndLayoutPasses)
{
    auto window = UIWindow::create(CGRectMake(0, 0, 1024, 768));
    auto container = std::make_shared<RecordingView>(CGRectMake(0, 0, 100, 100));
    auto leaf = std::make_shared<RecordingView>(CGRectMake(0, 0, 10, 10));
    container->addSubview(leaf);
    EXPECT_EQ(leaf->window(), nullptr);
    window->addSubview(container);
    EXPECT_EQ(leaf->window(), window.get());
    EXPECT_EQ(leaf->windowMoves, 1);
    container->removeFromSuperview();
    EXPECT_EQ(leaf->windowMoves, 2);
    EXPECT_EQ(leaf->window(), nullptr);

    window->addSubview(container);
    window->layoutIfNeeded();
    EXPECT_EQ(container->layouts, 1);
    EXPECT_EQ(leaf->layouts, 1);
    window->layoutIfNeeded(); // nothing pending
    EXPECT_EQ(container->layouts, 1);
    container->setFrame(CGRectMake(0, 0, 50, 50)); // a new size asks for layout
    container->setFrame(CGRectMake(5, 5, 50, 50)); // a move alone does not add another
    window->layoutIfNeeded();
    EXPECT_EQ(container->layouts, 2);
    EXPECT_EQ(leaf->layouts, 1);
}

TEST(UIView, ConvertsPointsThroughBoundsAndTransforms)
{
    auto root = UIView::create(CGRectMake(0, 0, 400, 400));
    auto scrolled = UIView::create(CGRectMake(100, 50, 200, 200));
    scrolled->setBounds(CGRectMake(0, 30, 200, 200)); // content moved up by 30
    auto child = UIView::create(CGRectMake(10, 40, 20, 20));
    root->addSubview(scrolled);
    scrolled->addSubview(child);

    EXPECT_EQ(child->convertPointToView({0, 0}, root.get()), (CGPoint {110, 60}));
    EXPECT_EQ(root->convertPointToView({110, 60}, child.get()), (CGPoint {0, 0}));
    EXPECT_EQ(child->convertPointToView({5, 5}, nullptr), (CGPoint {115, 65}));
    EXPECT_EQ(child->convertRectToView(child->bounds(), root.get()), CGRectMake(110, 60, 20, 20));

    // A quarter turn about the center of a 100 × 50 view.
    auto turned = UIView::create(CGRectMake(0, 0, 100, 50));
    turned->setTransform(CGAffineTransformMakeRotation(std::numbers::pi / 2));
    root->addSubview(turned);
    const CGPoint corner = turned->convertPointToView({0, 0}, root.get());
    EXPECT_NEAR(corner.x, 75, 1e-9);
    EXPECT_NEAR(corner.y, -25, 1e-9);
    const CGPoint back = turned->convertPointFromView(corner, root.get());
    EXPECT_NEAR(back.x, 0, 1e-9);
    EXPECT_NEAR(back.y, 0, 1e-9);

    // Hit testing finds the deepest interactive view and skips hidden ones.
    EXPECT_EQ(root->hitTest({115, 65}), child);
    child->setHidden(true);
    EXPECT_EQ(root->hitTest({115, 65}), scrolled);
    scrolled->setUserInteractionEnabled(false);
    EXPECT_EQ(root->hitTest({115, 65}), root);
    EXPECT_EQ(root->hitTest({500, 5}), nullptr);
}
