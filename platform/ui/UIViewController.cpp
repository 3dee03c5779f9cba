#include "platform/ui/UIViewController.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ScreenInFront.h"
#include "platform/ui/TypeName.h"
#include "platform/ui/UINavigationController.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/UIStoryboard.h"
#include "platform/ui/UIStoryboardSegue.h"
#include "platform/ui/UIWindow.h"

#include <algorithm>

UIViewController::UIViewController() = default;

UIViewController::~UIViewController()
{
    if (m_view && m_view->m_viewController == this)
        m_view->m_viewController = nullptr;
    for (auto& child : m_children)
        child->m_parent = nullptr;
}

const std::shared_ptr<UIView>& UIViewController::view()
{
    if (!m_view) {
        loadView();
        if (!m_view) // a loadView that set nothing still leaves the controller a view
            setView(UIView::create(UIScreen::mainScreen().bounds()));
        viewDidLoad();
    }
    return m_view;
}

void UIViewController::setView(std::shared_ptr<UIView> view)
{
    if (m_view && m_view->m_viewController == this)
        m_view->m_viewController = nullptr;
    m_view = std::move(view);
    if (m_view)
        m_view->m_viewController = this;
}

void UIViewController::loadView()
{
    if (m_viewBuilder) {
        if (auto built = m_viewBuilder(*this)) {
            setView(std::move(built));
            return;
        }
    }
    auto root = UIView::create(UIScreen::mainScreen().bounds());
    root->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    setView(std::move(root));
}

void UIViewController::beginAppearanceTransition(bool isAppearing, bool animated)
{
    if (isAppearing) {
        if (m_appearance == Appearance::Appeared || m_appearance == Appearance::Appearing)
            return;
        m_appearance = Appearance::Appearing;
        m_transitionAnimated = animated;
        view();
        viewWillAppear(animated);
    } else {
        if (m_appearance == Appearance::Disappeared || m_appearance == Appearance::Disappearing)
            return;
        m_appearance = Appearance::Disappearing;
        m_transitionAnimated = animated;
        viewWillDisappear(animated);
    }
}

void UIViewController::endAppearanceTransition()
{
    if (m_appearance == Appearance::Appearing) {
        m_appearance = Appearance::Appeared;
        viewDidAppear(m_transitionAnimated);
    } else if (m_appearance == Appearance::Disappearing) {
        m_appearance = Appearance::Disappeared;
        viewDidDisappear(m_transitionAnimated);
    }
}

void UIViewController::addChildViewController(const std::shared_ptr<UIViewController>& child)
{
    if (!child || child.get() == this)
        return;
    for (UIViewController* p = m_parent; p; p = p->m_parent) {
        if (p == child.get())
            return; // an ancestor cannot become a child
    }
    if (child->m_parent == this)
        return;
    child->removeFromParentViewController();
    child->m_parent = this;
    m_children.push_back(child);
}

void UIViewController::removeFromParentViewController()
{
    if (!m_parent)
        return;
    auto& siblings = m_parent->m_children;
    auto it = std::find_if(siblings.begin(), siblings.end(), [&](const auto& c) { return c.get() == this; });
    m_parent = nullptr;
    if (it != siblings.end()) {
        const auto keep = *it;
        siblings.erase(it);
    }
}

// Transitions.

UIViewController::TrackedAppearance UIViewController::beginTrackedAppearance(bool isAppearing, bool animated)
{
    ++m_transitionSerial;
    beginAppearanceTransition(isAppearing, animated);
    return {weak_from_this(), m_transitionSerial};
}

void UIViewController::endAppearancesLater(std::vector<TrackedAppearance> transitions, bool animated,
                                           std::function<void()> then)
{
    RunLoop::main().perform(
        [transitions = std::move(transitions), then = std::move(then)] {
            for (const auto& t : transitions) {
                auto controller = t.controller.lock();
                if (controller && controller->m_transitionSerial == t.serial)
                    controller->endAppearanceTransition();
            }
            if (then)
                then();
            ScreenInFront::postChange();
        },
        animated ? TransitionDuration : 0, nullptr, {RunLoopModes::Common});
}

UIViewController* UIViewController::outermostContainer()
{
    UIViewController* top = this;
    while (top->m_parent)
        top = top->m_parent;
    return top;
}

std::shared_ptr<UIViewController> UIViewController::presentingViewController() const
{
    for (const UIViewController* c = this; c; c = c->m_parent) {
        if (auto presenting = c->m_presenting.lock())
            return presenting;
    }
    return nullptr;
}

UINavigationController* UIViewController::navigationController() const
{
    for (UIViewController* c = m_parent; c; c = c->m_parent) {
        if (auto* navigation = dynamic_cast<UINavigationController*>(c))
            return navigation;
    }
    return nullptr;
}

void UIViewController::presentViewController(std::shared_ptr<UIViewController> controller, bool animated,
                                             std::function<void()> completion)
{
    if (!controller) {
        NSLog("Attempt to present nothing on %s", typeNameOf(*this).c_str());
        return;
    }
    UIViewController* presenterPtr = outermostContainer();
    auto presenter = presenterPtr->weak_from_this().lock();
    const std::string names = typeNameOf(*controller) + " on " + typeNameOf(*presenterPtr);
    if (!presenter) {
        NSLog("Attempt to present %s, which is not held by a shared pointer", names.c_str());
        return;
    }
    if (presenter->m_presented) {
        NSLog("Attempt to present %s, which is already presenting %s", names.c_str(),
              typeNameOf(*presenter->m_presented).c_str());
        return;
    }
    if (controller.get() == presenterPtr || controller->m_parent || !controller->m_presenting.expired()
        || (controller->isViewLoaded() && controller->view()->superview())) {
        NSLog("Attempt to present %s, which is already shown", names.c_str());
        return;
    }
    UIWindow* window = presenter->isViewLoaded() ? presenter->view()->window() : nullptr;
    if (!window) {
        NSLog("Attempt to present %s, whose view is not in the window hierarchy", names.c_str());
        return;
    }

    presenter->m_presented = controller;
    controller->m_presenting = presenter;
    std::vector<TrackedAppearance> transitions;
    if (presenter->isShowing())
        transitions.push_back(presenter->beginTrackedAppearance(false, animated));
    transitions.push_back(controller->beginTrackedAppearance(true, animated));
    const auto& view = controller->view();
    view->setFrame(window->bounds());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    window->addSubview(view);
    endAppearancesLater(std::move(transitions), animated, std::move(completion));
}

void UIViewController::dismissViewControllerAnimated(bool animated, std::function<void()> completion)
{
    UIViewController* top = outermostContainer();
    std::shared_ptr<UIViewController> presenter = top->m_presented ? top->weak_from_this().lock() : top->m_presenting.lock();
    if (!presenter || !presenter->m_presented)
        return;

    std::vector<std::shared_ptr<UIViewController>> chain;
    for (auto c = presenter->m_presented; c; c = c->m_presented)
        chain.push_back(c);
    std::vector<TrackedAppearance> transitions;
    if (chain.back()->isShowing())
        transitions.push_back(chain.back()->beginTrackedAppearance(false, animated));
    if (presenter->isViewLoaded() && presenter->view()->window())
        transitions.push_back(presenter->beginTrackedAppearance(true, animated));
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if ((*it)->isViewLoaded())
            (*it)->view()->removeFromSuperview();
        (*it)->m_presented.reset();
        (*it)->m_presenting.reset();
    }
    presenter->m_presented.reset();
    // The dismissed controllers live until their did-calls have run.
    endAppearancesLater(std::move(transitions), animated, [chain = std::move(chain), completion = std::move(completion)] {
        (void)chain;
        if (completion)
            completion();
    });
}

// Interface files.

void UIViewController::setStoryboardScene(std::shared_ptr<UIStoryboard> storyboard, std::string sceneID)
{
    m_storyboard = std::move(storyboard);
    m_sceneID = std::move(sceneID);
}

void UIViewController::performSegueWithIdentifier(const std::string& identifier, const void* sender)
{
    // A controller wrapped by its scene's navigation controller finds its segues through itself.
    if (!m_storyboard) {
        NSLog("Receiver (%s) has no segue with identifier '%s': it was not made from a storyboard",
              typeNameOf(*this).c_str(), identifier.c_str());
        return;
    }
    auto self = weak_from_this().lock();
    if (!self) {
        NSLog("Receiver (%s) cannot perform segue '%s': it is not held by a shared pointer", typeNameOf(*this).c_str(),
              identifier.c_str());
        return;
    }
    auto segue = m_storyboard->segueFromScene(m_sceneID, identifier, self);
    if (!segue)
        return;
    prepareForSegue(*segue, sender);
    segue->perform();
}
