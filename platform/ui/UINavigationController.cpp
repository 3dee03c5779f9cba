#include "platform/ui/UINavigationController.h"

#include "platform/foundation/Log.h"
#include "platform/ui/ScreenInFront.h"
#include "platform/ui/TypeName.h"
#include "platform/ui/UIScreen.h"

#include <algorithm>

namespace {
// The bar reaches under the status bar; its title sits in the last 44 points.
constexpr double BarAreaHeight = 20 + UINavigationBar::Height;
} // namespace

std::shared_ptr<UINavigationController> UINavigationController::create(std::shared_ptr<UIViewController> root)
{
    auto navigation = std::make_shared<UINavigationController>();
    if (root)
        navigation->pushViewController(std::move(root), false);
    return navigation;
}

UINavigationController::UINavigationController()
    : m_bar(std::make_shared<UINavigationBar>())
{
}

std::shared_ptr<UIViewController> UINavigationController::topViewController() const
{
    const auto& stack = childViewControllers();
    return stack.empty() ? nullptr : stack.back();
}

std::shared_ptr<UIViewController> UINavigationController::visibleViewController() const
{
    if (presentedViewController())
        return presentedViewController();
    return topViewController();
}

CGRect UINavigationController::contentFrame()
{
    const CGRect b = view()->bounds();
    if (m_barHidden)
        return CGRectMake(0, 0, b.size.width, b.size.height);
    return CGRectMake(0, BarAreaHeight, b.size.width, std::max(0.0, b.size.height - BarAreaHeight));
}

void UINavigationController::loadView()
{
    auto root = UIView::create(UIScreen::mainScreen().bounds());
    root->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    root->setBackgroundColor(UIColor::whiteColor());
    setView(root);
    m_bar->setFrame(CGRectMake(0, 0, root->bounds().size.width, BarAreaHeight));
    m_bar->setHidden(m_barHidden);
    root->addSubview(m_bar);
    if (auto top = topViewController()) {
        const auto& topView = top->view();
        topView->setFrame(contentFrame());
        topView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        root->insertSubviewBelowSubview(topView, m_bar.get());
        m_bar->setTitle(top->title());
    }
}

void UINavigationController::viewWillAppear(bool animated)
{
    if (auto top = topViewController())
        top->beginAppearanceTransition(true, animated);
}

void UINavigationController::viewDidAppear(bool)
{
    if (auto top = topViewController())
        top->endAppearanceTransition();
}

void UINavigationController::viewWillDisappear(bool animated)
{
    if (auto top = topViewController())
        top->beginAppearanceTransition(false, animated);
}

void UINavigationController::viewDidDisappear(bool)
{
    if (auto top = topViewController())
        top->endAppearanceTransition();
}

bool UINavigationController::canPush(const UIViewController& controller) const
{
    if (&controller == this || controller.parentViewController() || controller.presentingViewController()) {
        NSLog("Cannot push %s: it is already shown", typeNameOf(controller).c_str());
        return false;
    }
    if (dynamic_cast<const UINavigationController*>(&controller)) {
        NSLog("Cannot push a navigation controller (%s)", typeNameOf(controller).c_str());
        return false;
    }
    return true;
}

void UINavigationController::pushViewController(std::shared_ptr<UIViewController> controller, bool animated)
{
    if (!controller || !canPush(*controller))
        return;
    const auto oldTop = topViewController();
    addChildViewController(controller);
    showTop(oldTop, animated, {});
}

std::shared_ptr<UIViewController> UINavigationController::popViewControllerAnimated(bool animated)
{
    if (childViewControllers().size() < 2)
        return nullptr;
    auto popped = topViewController();
    popped->removeFromParentViewController();
    showTop(popped, animated, {popped});
    return popped;
}

std::vector<std::shared_ptr<UIViewController>> UINavigationController::popToViewController(const UIViewController* target,
                                                                                           bool animated)
{
    const auto& stack = childViewControllers();
    auto it = std::find_if(stack.begin(), stack.end(), [&](const auto& c) { return c.get() == target; });
    if (it == stack.end()) {
        NSLog("Cannot pop to a controller that is not in the navigation stack");
        return {};
    }
    std::vector<std::shared_ptr<UIViewController>> popped(it + 1, stack.end());
    if (popped.empty())
        return {};
    const auto oldTop = popped.back();
    for (const auto& c : popped)
        c->removeFromParentViewController();
    showTop(oldTop, animated, popped);
    return popped;
}

std::vector<std::shared_ptr<UIViewController>> UINavigationController::popToRootViewControllerAnimated(bool animated)
{
    if (childViewControllers().empty())
        return {};
    return popToViewController(childViewControllers().front().get(), animated);
}

void UINavigationController::setViewControllers(std::vector<std::shared_ptr<UIViewController>> controllers, bool animated)
{
    const auto old = childViewControllers();
    const auto oldTop = topViewController();
    std::vector<std::shared_ptr<UIViewController>> accepted;
    for (const auto& c : controllers) {
        if (!c || std::find(accepted.begin(), accepted.end(), c) != accepted.end())
            continue;
        const bool ours = c->parentViewController() == this;
        if (ours || canPush(*c))
            accepted.push_back(c);
    }
    for (const auto& c : old)
        c->removeFromParentViewController();
    for (const auto& c : accepted)
        addChildViewController(c);
    std::vector<std::shared_ptr<UIViewController>> removed;
    for (const auto& c : old) {
        if (std::find(accepted.begin(), accepted.end(), c) == accepted.end())
            removed.push_back(c);
    }
    showTop(oldTop, animated, std::move(removed));
}

void UINavigationController::showTop(const std::shared_ptr<UIViewController>& oldTop, bool animated,
                                     std::vector<std::shared_ptr<UIViewController>> removed)
{
    const auto newTop = topViewController();
    const bool changed = oldTop != newTop;
    const bool showing = isShowing();
    std::vector<TrackedAppearance> transitions;
    if (showing && changed && oldTop)
        transitions.push_back(oldTop->beginTrackedAppearance(false, animated));
    if (showing && changed && newTop)
        transitions.push_back(newTop->beginTrackedAppearance(true, animated));
    if (isViewLoaded()) {
        const auto& root = view();
        for (const auto& c : removed) {
            if (c->isViewLoaded() && c->view()->superview() == root.get())
                c->view()->removeFromSuperview();
        }
        if (changed && oldTop && oldTop->isViewLoaded() && oldTop->view()->superview() == root.get())
            oldTop->view()->removeFromSuperview();
        if (newTop) {
            const auto& topView = newTop->view();
            topView->setFrame(contentFrame());
            topView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
            if (topView->superview() != root.get())
                root->insertSubviewBelowSubview(topView, m_bar.get());
        }
    }
    m_bar->setTitle(newTop ? newTop->title() : std::string());
    if (showing && changed)
        endAppearancesLater(std::move(transitions), animated, [removed = std::move(removed)] { (void)removed; });
}

void UINavigationController::setNavigationBarHidden(bool hidden, bool)
{
    m_barHidden = hidden;
    m_bar->setHidden(hidden);
    if (!isViewLoaded())
        return;
    if (auto top = topViewController(); top && top->isViewLoaded())
        top->view()->setFrame(contentFrame());
}
