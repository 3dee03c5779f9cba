#pragma once

#include "platform/ui/UIPopoverControllerDelegate.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIViewController.h"

#include <memory>
#include <vector>

enum UIPopoverArrowDirection : unsigned {
    UIPopoverArrowDirectionUp = 1u << 0,
    UIPopoverArrowDirectionDown = 1u << 1,
    UIPopoverArrowDirectionLeft = 1u << 2,
    UIPopoverArrowDirectionRight = 1u << 3,
    UIPopoverArrowDirectionAny = 0xFu,
    UIPopoverArrowDirectionUnknown = 0xFFFFFFFFu,
};

// A controller's view in a floating panel beside a rectangle of another view, on top of that
// view's window. The screen under it stays in front: it hears no appearance calls. The content
// controller hears its own, the did-calls later from the run loop as for a presentation.
//
// Closing it in code tells the delegate nothing; a tap outside it (tapOutside(), as the platform
// would deliver one) asks popoverControllerShouldDismissPopover and, once it is closed, tells
// popoverControllerDidDismissPopover.
class UIPopoverController : public std::enable_shared_from_this<UIPopoverController> {
public:
    static constexpr double ArrowLength = 13;
    static constexpr double ScreenMargin = 10;
    static constexpr double Border = 8;

    static std::shared_ptr<UIPopoverController> create(std::shared_ptr<UIViewController> content);
    explicit UIPopoverController(std::shared_ptr<UIViewController> content);
    ~UIPopoverController();
    UIPopoverController(const UIPopoverController&) = delete;
    UIPopoverController& operator=(const UIPopoverController&) = delete;

    const std::shared_ptr<UIViewController>& contentViewController() const { return m_content; }
    void setContentViewController(std::shared_ptr<UIViewController> content);
    // The content's size; an empty size means 320 × 480.
    CGSize popoverContentSize() const { return m_contentSize; }
    void setPopoverContentSize(CGSize size, bool animated = false);
    // 0: the platform's light panel; 1: a dark one, for content that brings no ground of its own.
    int popoverBackgroundStyle() const { return m_backgroundStyle; }
    void setPopoverBackgroundStyle(int style);

    std::shared_ptr<UIPopoverControllerDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<UIPopoverControllerDelegate> delegate) { m_delegate = std::move(delegate); }

    // rect is in view's coordinates; view must be on a window (otherwise a log line, no popover).
    // The arrow takes the first permitted direction, in the order up, down, left, right, for
    // which the panel fits on the screen, else the permitted one with the most room.
    void presentPopoverFromRect(const CGRect& rect, UIView& view, unsigned permittedArrowDirections, bool animated);
    void dismissPopoverAnimated(bool animated);
    bool isPopoverVisible() const { return m_visible; }
    // The arrow's direction while visible, UIPopoverArrowDirectionUnknown otherwise.
    UIPopoverArrowDirection popoverArrowDirection() const { return m_arrow; }
    // The panel on the window, while visible.
    const std::shared_ptr<UIView>& panelView() const { return m_panel; }

    // A tap outside the panel. Returns whether it closed the popover.
    bool tapOutside();

    // The popovers on screen, oldest first.
    static std::vector<std::shared_ptr<UIPopoverController>> visiblePopovers();

private:
    CGSize effectiveContentSize() const;
    void close(bool animated, bool tellDelegate);
    void layoutPanel();

    std::shared_ptr<UIViewController> m_content;
    CGSize m_contentSize {};
    int m_backgroundStyle = 0;
    std::weak_ptr<UIPopoverControllerDelegate> m_delegate;
    std::shared_ptr<UIView> m_panel;
    bool m_visible = false;
    UIPopoverArrowDirection m_arrow = UIPopoverArrowDirectionUnknown;
};

using UIPopoverControllerPtr = std::shared_ptr<UIPopoverController>;
