#include "ordering/RecommendViewController.h"

#include "image/UIImageViewWebCacheDeprecated.h"
#include "ordering/DishPictureAddress.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NumberValue.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UIPageControl.h"
#include "session/ServerNetworkCenter.h"
#include "session/SocketDataHandle.h"

#include <cstdio>

namespace {
constexpr CGFloat kPageCornerRadius = 6;
constexpr int kPictureWidth = 1024;
constexpr int kPictureHeight = 768;
} // namespace

void RecommendViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    if (m_flowView) {
        const auto self = shared_from_this();
        m_flowView->setDelegate(std::dynamic_pointer_cast<CarouselViewDelegate>(self));
        m_flowView->setDataSource(std::dynamic_pointer_cast<CarouselViewDataSource>(self));
        m_flowView->setPageControl(m_pageControl);
        m_flowView->setMinimumPageAlpha(0.5);
        m_flowView->setMinimumPageScale(0.9);
    }
    takeReplies();
    // An empty category asks for the recommended dishes.
    ServerNetworkCenter::sharedInstance().sentMsg(VenueCommand::Dishes, {""});
}

void RecommendViewController::viewDidAppear(bool animated)
{
    UIViewController::viewDidAppear(animated);
    takeReplies();
    if (m_flowView)
        didScrollToPage(0, *m_flowView);
}

unsigned RecommendViewController::supportedInterfaceOrientations() const
{
    return UIInterfaceOrientationMaskLandscape;
}

void RecommendViewController::takeReplies()
{
    SocketDataHandle::sharedInstance().setDelegate(std::dynamic_pointer_cast<SocketDataHandleDelegate>(shared_from_this()));
    NSLog("setDelegate RecommendViewController");
}

void RecommendViewController::socketDataHandleDidFoodList(const RecordList<OKFoodObject>& foods)
{
    m_foods = foods;
    if (!m_flowView)
        return;
    m_flowView->reloadData();
    m_flowView->layoutIfNeeded();
    didScrollToPage(0, *m_flowView);
}

std::int64_t RecommendViewController::numberOfPagesInFlowView(CarouselView&)
{
    return static_cast<std::int64_t>(m_foods.size());
}

std::shared_ptr<UIView> RecommendViewController::flowViewCellForPageAtIndex(CarouselView& flowView, std::int64_t index)
{
    auto page = std::dynamic_pointer_cast<UIImageView>(flowView.dequeueReusableCell());
    if (!page) {
        page = UIImageView::create();
        page->layer().cornerRadius = kPageCornerRadius;
        page->setClipsToBounds(true);
    }
    if (index >= 0 && static_cast<std::uint64_t>(index) < m_foods.size())
        setImageWithURL(page, NSURL::URLWithString(dishPictureAddress(*m_foods[static_cast<std::size_t>(index)],
                                                                      kPictureWidth, kPictureHeight)));
    return page;
}

CGSize RecommendViewController::sizeForPageInFlowView(CarouselView&)
{
    return CGSizeMake(800, 550);
}

void RecommendViewController::didScrollToPage(std::int64_t page, CarouselView&)
{
    if (page < 0 || static_cast<std::uint64_t>(page) >= m_foods.size())
        return;
    m_currentFoodIndex = page;
    const OKFoodObject& dish = *m_foods[static_cast<std::size_t>(page)];
    if (m_lblFoodName)
        m_lblFoodName->setText(dish.NameChs);
    if (m_lblPrice)
        m_lblPrice->setText(dish.Price);
    if (m_lblMonad)
        m_lblMonad->setText(dish.Monad);
    if (m_lblCount)
        m_lblCount->setText(basketQuantity(dish));
}

std::string RecommendViewController::basketQuantity(const OKFoodObject& dish)
{
    double quantity = 0;
    for (const auto& line : SocketDataHandle::sharedInstance().getTmpSelectFood().foodSetArray)
        if (line && line->FoodNo == dish.No)
            quantity += doubleValue(line->Quantity);
    char text[32];
    std::snprintf(text, sizeof text, "%g", quantity);
    return text;
}

void RecommendViewController::btnBackAction(UIControl&)
{
    dismissViewControllerAnimated(true);
}

void RecommendViewController::pageControlValueChanged(UIControl&)
{
    if (m_flowView && m_pageControl)
        m_flowView->scrollToPage(static_cast<std::uint64_t>(m_pageControl->currentPage()));
}
