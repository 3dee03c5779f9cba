#pragma once

#include "platform/ui/UIView.h"
#include "platform/ui/UIViewController.h"
#include "platform/ui/UIViewTypes.h"

#include <memory>

// The root of a view tree on screen. Its frame is in screen coordinates. A window starts hidden;
// while it shows, the application holds it and lists it among its windows by level.
class UIWindow : public UIView {
public:
    static std::shared_ptr<UIWindow> create(const CGRect& frame);
    explicit UIWindow(const CGRect& frame = CGRectZero);
    ~UIWindow() override;

    UIWindowLevel windowLevel() const { return m_level; }
    void setWindowLevel(UIWindowLevel level);

    // The root controller's view fills the window; a window that shows tells the controller it appears.
    const std::shared_ptr<UIViewController>& rootViewController() const { return m_rootViewController; }
    void setRootViewController(std::shared_ptr<UIViewController> controller);

    void setHidden(bool hidden) override;
    void makeKeyWindow();
    void makeKeyAndVisible();
    bool isKeyWindow() const;

    // The view on this window that takes typed text; null when there is none.
    std::shared_ptr<UIView> firstResponder() const;

private:
    friend class UIView;
    std::weak_ptr<UIView> m_firstResponder;
    UIWindowLevel m_level = UIWindowLevelNormal;
    std::shared_ptr<UIViewController> m_rootViewController;
};

using UIWindowPtr = std::shared_ptr<UIWindow>;
