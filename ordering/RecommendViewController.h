#pragma once

#include "kit/carousel/CarouselView.h"
#include "platform/ui/UIViewController.h"
#include "session/SocketDataHandleDelegate.h"
#include "session/records/OKFoodObject.h"

#include <cstdint>
#include <memory>

class UILabel;
class UIPageControl;

// The recommended dishes of the venue as a carousel of large pictures. The dish in the middle is
// shown by name, price and unit, with how many of it the room's order already holds.
// It asks the venue for its recommended dishes (command 104 without a category) when it loads.
class RecommendViewController : public UIViewController,
                                public SocketDataHandleDelegate,
                                public CarouselViewDataSource,
                                public CarouselViewDelegate {
public:
    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override;

    std::int64_t numberOfPagesInFlowView(CarouselView& flowView) override;
    std::shared_ptr<UIView> flowViewCellForPageAtIndex(CarouselView& flowView, std::int64_t index) override;
    CGSize sizeForPageInFlowView(CarouselView& flowView) override;
    void didScrollToPage(std::int64_t page, CarouselView& flowView) override;

    void socketDataHandleDidFoodList(const RecordList<OKFoodObject>& foods) override;

    void btnBackAction(UIControl& sender);
    void pageControlValueChanged(UIControl& sender);

    void setFlowView(std::shared_ptr<CarouselView> view) { m_flowView = std::move(view); }
    void setPageControl(std::shared_ptr<UIPageControl> control) { m_pageControl = std::move(control); }
    void setLblFoodName(std::shared_ptr<UILabel> label) { m_lblFoodName = std::move(label); }
    void setLblPrice(std::shared_ptr<UILabel> label) { m_lblPrice = std::move(label); }
    void setLblMonad(std::shared_ptr<UILabel> label) { m_lblMonad = std::move(label); }
    void setLblCount(std::shared_ptr<UILabel> label) { m_lblCount = std::move(label); }

    const std::shared_ptr<CarouselView>& flowView() const { return m_flowView; }
    const std::shared_ptr<UIPageControl>& pageControl() const { return m_pageControl; }
    const std::shared_ptr<UILabel>& lblFoodName() const { return m_lblFoodName; }
    const std::shared_ptr<UILabel>& lblPrice() const { return m_lblPrice; }
    const std::shared_ptr<UILabel>& lblMonad() const { return m_lblMonad; }
    const std::shared_ptr<UILabel>& lblCount() const { return m_lblCount; }
    const RecordList<OKFoodObject>& foods() const { return m_foods; }
    std::int64_t currentFoodIndex() const { return m_currentFoodIndex; }

private:
    void takeReplies();
    // How many of the dish the room's order basket holds, as the screen shows it.
    static std::string basketQuantity(const OKFoodObject& dish);

    std::shared_ptr<CarouselView> m_flowView;
    std::shared_ptr<UIPageControl> m_pageControl;
    std::shared_ptr<UILabel> m_lblFoodName;
    std::shared_ptr<UILabel> m_lblPrice;
    std::shared_ptr<UILabel> m_lblMonad;
    std::shared_ptr<UILabel> m_lblCount;
    RecordList<OKFoodObject> m_foods;
    std::int64_t m_currentFoodIndex = 0;
};
