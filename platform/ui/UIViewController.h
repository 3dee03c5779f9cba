#pragma once

#include "platform/ui/UIView.h"
#include "platform/ui/UIViewTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class UINavigationController;
class UIStoryboard;
class UIStoryboardSegue;

// Owns a view that it makes on first use, and hears when that view comes and goes.
//
// A controller may cover the screen with another one (presentViewController) and take it away
// again (dismissViewControllerAnimated). The presenter owns what it presents; both the covered
// and the covering controller hear their appearance calls: the will-calls at once, the did-calls
// and the completion later from the main run loop, after the transition's duration when animated.
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

    // Modal presentation. The presenting controller is the outermost container of the receiver
    // (a screen inside a navigation controller presents over the whole of it). Presenting from a
    // controller that already presents, or whose view is not on a window, or presenting a
    // controller that is already shown somewhere, logs a line and changes nothing.
    void presentViewController(std::shared_ptr<UIViewController> controller, bool animated,
                               std::function<void()> completion = {});
    // Asked of a presenter, takes away what it presents (and whatever that presents in turn);
    // asked of a presented controller, or one inside it, its presenter does the same.
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion = {});
    const std::shared_ptr<UIViewController>& presentedViewController() const { return m_presented; }
    std::shared_ptr<UIViewController> presentingViewController() const;
    // The seconds an animated presentation, dismissal, push or pop takes.
    static constexpr double TransitionDuration = 0.3;

    // The nearest navigation controller among the receiver and its ancestors.
    UINavigationController* navigationController() const;

    // Interface files: the storyboard the controller was made from, if any.
    const std::shared_ptr<UIStoryboard>& storyboard() const { return m_storyboard; }
    // Makes the destination of the segue leaving this controller's scene, lets prepareForSegue
    // see it, then pushes or presents it. An identifier the scene does not have logs a line.
    void performSegueWithIdentifier(const std::string& identifier, const void* sender);
    virtual void prepareForSegue(UIStoryboardSegue&, const void* /*sender*/) {}

    // What loadView builds the view from, when the controller comes from an interface file.
    using ViewBuilder = std::function<std::shared_ptr<UIView>(UIViewController&)>;
    void setViewBuilder(ViewBuilder builder) { m_viewBuilder = std::move(builder); }
    void setStoryboardScene(std::shared_ptr<UIStoryboard> storyboard, std::string sceneID);
    const std::string& storyboardSceneID() const { return m_sceneID; }

    virtual UIStatusBarStyle preferredStatusBarStyle() const { return UIStatusBarStyle::Default; }
    virtual unsigned supportedInterfaceOrientations() const { return UIInterfaceOrientationMaskAll; }
    virtual bool shouldAutorotate() const { return true; }

    // Overridable steps.
    virtual void loadView();
    virtual void viewDidLoad() {}
    // Kept for screens that release their outlets in it; the platform never calls it.
    virtual void viewDidUnload() {}
    virtual void viewWillAppear(bool) {}
    virtual void viewDidAppear(bool) {}
    virtual void viewWillDisappear(bool) {}
    virtual void viewDidDisappear(bool) {}
    virtual void viewWillLayoutSubviews() {}
    virtual void viewDidLayoutSubviews() {}

    // For containers: an appearance transition whose end comes later from the run loop.
    // endAppearancesLater ends each transition that no newer one of the same controller has
    // replaced by then, and runs `then` after them.
    struct TrackedAppearance {
        std::weak_ptr<UIViewController> controller;
        std::uint64_t serial = 0;
    };
    TrackedAppearance beginTrackedAppearance(bool isAppearing, bool animated);
    static void endAppearancesLater(std::vector<TrackedAppearance> transitions, bool animated,
                                    std::function<void()> then = {});
    bool isShowing() const { return m_appearance == Appearance::Appeared || m_appearance == Appearance::Appearing; }

private:
    UIViewController* outermostContainer();

    std::shared_ptr<UIView> m_view;
    std::string m_title;
    Appearance m_appearance = Appearance::Disappeared;
    bool m_transitionAnimated = false;
    UIViewController* m_parent = nullptr;
    std::vector<std::shared_ptr<UIViewController>> m_children;
    std::shared_ptr<UIViewController> m_presented;
    std::weak_ptr<UIViewController> m_presenting;
    std::uint64_t m_transitionSerial = 0;
    std::shared_ptr<UIStoryboard> m_storyboard;
    std::string m_sceneID;
    ViewBuilder m_viewBuilder;
};

using UIViewControllerPtr = std::shared_ptr<UIViewController>;
