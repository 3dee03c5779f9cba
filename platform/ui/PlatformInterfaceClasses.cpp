#include "platform/ui/InterfaceRegistry.h"
#include "platform/ui/UIActivityIndicatorView.h"
#include "platform/ui/UIButton.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UINavigationController.h"
#include "platform/ui/UIPageControl.h"
#include "platform/ui/UIScrollView.h"
#include "platform/ui/UISegmentedControl.h"
#include "platform/ui/UITableViewCell.h"
#include "platform/ui/UITableViewController.h"
#include "platform/ui/UITextField.h"

namespace {

void registerControllers(InterfaceRegistry& r)
{
    r.registerControllerClass<UIViewController>("UIViewController", "");
    r.registerControllerClass<UINavigationController>("UINavigationController", "UIViewController");
    r.registerControllerClass<UITableViewController>("UITableViewController", "UIViewController");
}

} // namespace

void registerPlatformInterfaceClasses()
{
    auto& registry = InterfaceRegistry::shared();
    if (registry.isRegistered("UIView"))
        return;
    // Each class states its own properties beside its code; this list only decides which
    // classes interface files may name.
    UIView::registerInterfaceClass(registry);
    UILabel::registerInterfaceClass(registry);
    UIImageView::registerInterfaceClass(registry);
    UIControl::registerInterfaceClass(registry);
    UIButton::registerInterfaceClass(registry);
    UISegmentedControl::registerInterfaceClass(registry);
    UIPageControl::registerInterfaceClass(registry);
    UITextField::registerInterfaceClass(registry);
    UITableView::registerInterfaceClass(registry);
    UITableViewCell::registerInterfaceClass(registry);
    UIScrollView::registerInterfaceClass(registry);
    UIActivityIndicatorView::registerInterfaceClass(registry);
    registerControllers(registry);
}
