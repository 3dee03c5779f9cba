#pragma once

#include "platform/ui/UINavigationBar.h"
#include "platform/ui/UIViewController.h"

#include <memory>
#include <vector>

// A stack of controllers, the top one on screen under an optional bar. The controllers of the
// stack are its children; a push or pop gives the covered and the uncovered controller their
// appearance calls, the did-calls later from the run loop, as a presentation does.
class UINavigationController : public UIViewController {
public:
    static std::shared_ptr<UINavigationController> create(std::shared_ptr<UIViewController> root = nullptr);
    UINavigationController();

    const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const { return childViewControllers(); }
    std::shared_ptr<UIViewController> topViewController() const;
    // The top controller, or what the navigation controller presents.
    std::shared_ptr<UIViewController> visibleViewController() const;

    // Pushing a controller that is already in a stack, a child elsewhere or presented logs a line.
    void pushViewController(std::shared_ptr<UIViewController> controller, bool animated);
    // Nothing (null) when the root is on top.
    std::shared_ptr<UIViewController> popViewControllerAnimated(bool animated);
    std::vector<std::shared_ptr<UIViewController>> popToRootViewControllerAnimated(bool animated);
    // Nothing when the controller is not in the stack.
    std::vector<std::shared_ptr<UIViewController>> popToViewController(const UIViewController* controller, bool animated);
    void setViewControllers(std::vector<std::shared_ptr<UIViewController>> controllers, bool animated = false);

    bool isNavigationBarHidden() const { return m_barHidden; }
    void setNavigationBarHidden(bool hidden, bool animated = false);
    const UINavigationBarPtr& navigationBar() const { return m_bar; }
    // Where the top controller's view goes: the view's bounds less the bar, when it shows.
    CGRect contentFrame();

    void loadView() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;

private:
    void showTop(const std::shared_ptr<UIViewController>& oldTop, bool animated,
                 std::vector<std::shared_ptr<UIViewController>> removed);
    bool canPush(const UIViewController& controller) const;

    UINavigationBarPtr m_bar;
    bool m_barHidden = false;
};

using UINavigationControllerPtr = std::shared_ptr<UINavigationController>;
