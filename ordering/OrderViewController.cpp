#include "ordering/OrderViewController.h"

#include "platform/ui/UIStoryboard.h"

void OrderViewController::btnRecommendAction(UIControl&)
{
    auto storyboard = UIStoryboard::storyboardWithName("Storyboard_FoodOrder");
    if (auto recommend = storyboard ? storyboard->instantiateViewControllerWithIdentifier("recommendView") : nullptr)
        presentViewController(recommend, true);
}
