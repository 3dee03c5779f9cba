#include "platform/ui/ScreenInFront.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UINavigationController.h"
#include "platform/ui/UIWindow.h"

namespace ScreenInFront {

std::shared_ptr<UIViewController> controller()
{
    auto& application = UIApplication::sharedApplication();
    auto window = application.keyWindow();
    if (!window) {
        const auto windows = application.windows();
        if (windows.empty())
            return nullptr;
        window = windows.back();
    }
    auto front = window->rootViewController();
    while (front && front->presentedViewController())
        front = front->presentedViewController();
    return front;
}

std::shared_ptr<UIViewController> visibleController()
{
    auto front = controller();
    while (auto navigation = std::dynamic_pointer_cast<UINavigationController>(front)) {
        auto top = navigation->topViewController();
        if (!top)
            break;
        front = top;
    }
    return front;
}

void postChange()
{
    NotificationCenter::defaultCenter().post(ScreenInFrontDidChangeNotification);
}

} // namespace ScreenInFront
