#pragma once

#include "platform/ui/UIView.h"
#include "platform/ui/UIViewTypes.h"

#include <memory>
#include <string>
#include <vector>

// Owns a view that it makes on first use, and hears when that view comes and goes.
class UIViewController : public std::enable_shared_from_this<UIViewController> {
public:
    enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };

    UIViewController();
    virtual ~UIViewController();
    UIViewController(const UIViewController&) = delete;
    UIViewController& operator=(const UIViewController&) = delete;

    // The view, loaded on first use: loadView() then viewDidLoad().
    const std::shared_ptr<UIView>& view();
    bool isViewLoaded() const { return m_view != nullptr; }
    void setView(std::shared_ptr<UIView> view);

    const std::string& title() const { return m_title; }
    void setTitle(std::string title) { m_title = std::move(title); }

    // Appearance: begin(appearing) calls viewWillAppear or viewWillDisappear, end calls the matching
    // did-method. A transition to the state the controller is already in calls nothing.
    void beginAppearanceTransition(bool isAppearing, bool animated);
    void endAppearanceTransition();
    Appearance appearance() const { return m_appearance; }

    // Children.
    UIViewController* parentViewController() const { return m_parent; }
    const std::vector<std::shared_ptr<UIViewController>>& childViewControllers() const { return m_children; }
    void addChildViewController(const std::shared_ptr<UIViewController>& child);
    void removeFromParentViewController();

    virtual UIStatusBarStyle preferredStatusBarStyle() const { return UIStatusBarStyle::Default; }
    virtual unsigned supportedInterfaceOrientations() const { return UIInterfaceOrientationMaskAll; }
    virtual bool shouldAutorotate() const { return true; }

    // Overridable steps.
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool) {}
    virtual void viewDidAppear(bool) {}
    virtual void viewWillDisappear(bool) {}
    virtual void viewDidDisappear(bool) {}
    virtual void viewWillLayoutSubviews() {}
    virtual void viewDidLayoutSubviews() {}

private:
    std::shared_ptr<UIView> m_view;
    std::string m_title;
    Appearance m_appearance = Appearance::Disappeared;
    bool m_transitionAnimated = false;
    UIViewController* m_parent = nullptr;
    std::vector<std::shared_ptr<UIViewController>> m_children;
};

using UIViewControllerPtr = std::shared_ptr<UIViewController>;
