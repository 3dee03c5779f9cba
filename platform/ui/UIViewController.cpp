#include "platform/ui/UIViewController.h"

#include "platform/ui/UIScreen.h"

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
