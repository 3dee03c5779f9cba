#include "ordering/FoodView.h"
#include "ordering/OrderViewController.h"
#include "ordering/OrderedFoodViewController.h"
#include "ordering/RecommendViewController.h"

#include "kit/snapshot/SnapshotStackView.h"
#include "platform/ui/InterfaceRegistry.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UIPageControl.h"

void registerOrderingInterfaceClasses()
{
    auto& registry = InterfaceRegistry::shared();
    registry.registerControllerClass<OrderViewController>("OrderViewController", "UIViewController")
        .action("btnRecommendAction:", &OrderViewController::btnRecommendAction);
    registry.registerControllerClass<RecommendViewController>("RecommendViewController", "UIViewController")
        .outlet("flowView", &RecommendViewController::setFlowView)
        .outlet("pageControl", &RecommendViewController::setPageControl)
        .outlet("lblFoodName", &RecommendViewController::setLblFoodName)
        .outlet("lblPrice", &RecommendViewController::setLblPrice)
        .outlet("lblMonad", &RecommendViewController::setLblMonad)
        .outlet("lblCount", &RecommendViewController::setLblCount)
        .action("btnBackAction:", &RecommendViewController::btnBackAction)
        .action("pageControlValueChanged:", &RecommendViewController::pageControlValueChanged);
    registry.registerViewClass<FoodView>("FoodView", "UIView")
        .outlet("foodImageView", &FoodView::setFoodImageView)
        .outlet("snapshotView", &FoodView::setSnapshotView)
        .outlet("lblFoodName", &FoodView::setLblFoodName);
    registry.registerControllerClass<OrderedFoodViewController>("OrderedFoodViewController", "UIViewController");
}
