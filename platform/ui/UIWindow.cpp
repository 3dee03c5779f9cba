#include "platform/ui/UIWindow.h"

#include "platform/ui/UIApplication.h"

std::shared_ptr<UIWindow> UIWindow::create(const CGRect& frame)
{
    return std::make_shared<UIWindow>(frame);
}

UIWindow::UIWindow(const CGRect& frame)
    : UIView(frame)
{
    UIView::setHidden(true);
}

UIWindow::~UIWindow() = default;

void UIWindow::setWindowLevel(UIWindowLevel level)
{
    m_level = level;
    if (!isHidden())
        UIApplication::sharedApplication().windowLevelChanged(this);
}

void UIWindow::setRootViewController(std::shared_ptr<UIViewController> controller)
{
    if (controller == m_rootViewController)
        return;
    auto old = std::move(m_rootViewController);
    const bool showing = !isHidden();
    if (old) {
        if (showing)
            old->beginAppearanceTransition(false, false);
        if (old->isViewLoaded() && old->view()->superview() == this)
            old->view()->removeFromSuperview();
        if (showing)
            old->endAppearanceTransition();
    }
    m_rootViewController = std::move(controller);
    if (!m_rootViewController)
        return;
    if (showing)
        m_rootViewController->beginAppearanceTransition(true, false);
    const auto& view = m_rootViewController->view();
    view->setFrame(bounds());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    addSubview(view);
    if (showing)
        m_rootViewController->endAppearanceTransition();
}

void UIWindow::setHidden(bool hidden)
{
    if (hidden == isHidden())
        return;
    auto& application = UIApplication::sharedApplication();
    const auto controller = m_rootViewController;
    if (controller)
        controller->beginAppearanceTransition(!hidden, false);
    UIView::setHidden(hidden);
    if (hidden)
        application.windowHidden(this);
    else
        application.windowShown(std::static_pointer_cast<UIWindow>(shared_from_this()));
    if (controller)
        controller->endAppearanceTransition();
}

void UIWindow::makeKeyWindow()
{
    UIApplication::sharedApplication().setKeyWindow(std::static_pointer_cast<UIWindow>(shared_from_this()));
}

void UIWindow::makeKeyAndVisible()
{
    setHidden(false);
    makeKeyWindow();
}

bool UIWindow::isKeyWindow() const
{
    return UIApplication::sharedApplication().keyWindow().get() == this;
}

std::shared_ptr<UIView> UIWindow::firstResponder() const
{
    auto view = m_firstResponder.lock();
    return view && view->window() == this ? view : nullptr;
}
