#include "platform/ui/UIPopoverController.h"

#include "platform/foundation/Log.h"
#include "platform/ui/ScreenInFront.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIWindow.h"

#include <algorithm>

namespace {
std::vector<std::weak_ptr<UIPopoverController>>& visibleList()
{
    static auto* list = new std::vector<std::weak_ptr<UIPopoverController>>();
    return *list;
}

struct Placement {
    UIPopoverArrowDirection direction;
    CGRect frame;
    double room; // how much of the panel's extent the screen has on that side
};
} // namespace

std::shared_ptr<UIPopoverController> UIPopoverController::create(std::shared_ptr<UIViewController> content)
{
    return std::make_shared<UIPopoverController>(std::move(content));
}

UIPopoverController::UIPopoverController(std::shared_ptr<UIViewController> content)
    : m_content(std::move(content))
{
}

UIPopoverController::~UIPopoverController()
{
    if (m_panel)
        m_panel->removeFromSuperview();
}

void UIPopoverController::setContentViewController(std::shared_ptr<UIViewController> content)
{
    if (m_visible && m_content && m_content->isViewLoaded())
        m_content->view()->removeFromSuperview();
    m_content = std::move(content);
    if (m_visible)
        layoutPanel();
}

CGSize UIPopoverController::effectiveContentSize() const
{
    if (m_contentSize.width <= 0 || m_contentSize.height <= 0)
        return {320, 480};
    return m_contentSize;
}

void UIPopoverController::setPopoverContentSize(CGSize size, bool)
{
    m_contentSize = size;
    if (m_visible)
        layoutPanel();
}

void UIPopoverController::setPopoverBackgroundStyle(int style)
{
    m_backgroundStyle = style;
    if (m_visible)
        layoutPanel();
}

void UIPopoverController::presentPopoverFromRect(const CGRect& rect, UIView& view, unsigned permitted, bool animated)
{
    UIWindow* window = view.window();
    if (!window) {
        NSLog("Popover cannot be presented from a view that is not in a window");
        return;
    }
    if (!m_content) {
        NSLog("Popover cannot be presented without a content view controller");
        return;
    }
    if (m_visible)
        close(false, false);
    if ((permitted & UIPopoverArrowDirectionAny) == 0)
        permitted = UIPopoverArrowDirectionAny;

    const CGRect anchor = view.convertRectToView(rect, nullptr);
    const CGRect screen = window->bounds();
    const CGSize content = effectiveContentSize();
    const CGSize panel {content.width + 2 * Border, content.height + 2 * Border};
    const double top = UIApplication::sharedApplication().statusBarFrame().size.height + ScreenMargin;
    const double left = ScreenMargin, right = screen.size.width - ScreenMargin, bottom = screen.size.height - ScreenMargin;
    const auto clampX = [&](double x) { return std::max(left, std::min(x, right - panel.width)); };
    const auto clampY = [&](double y) { return std::max(top, std::min(y, bottom - panel.height)); };
    const double midX = CGRectGetMidX(anchor), midY = CGRectGetMidY(anchor);

    const Placement placements[] = {
        {UIPopoverArrowDirectionUp,
         CGRectMake(clampX(midX - panel.width / 2), CGRectGetMaxY(anchor) + ArrowLength, panel.width, panel.height),
         bottom - (CGRectGetMaxY(anchor) + ArrowLength)},
        {UIPopoverArrowDirectionDown,
         CGRectMake(clampX(midX - panel.width / 2), CGRectGetMinY(anchor) - ArrowLength - panel.height, panel.width,
                    panel.height),
         CGRectGetMinY(anchor) - ArrowLength - top},
        {UIPopoverArrowDirectionLeft,
         CGRectMake(CGRectGetMaxX(anchor) + ArrowLength, clampY(midY - panel.height / 2), panel.width, panel.height),
         right - (CGRectGetMaxX(anchor) + ArrowLength)},
        {UIPopoverArrowDirectionRight,
         CGRectMake(CGRectGetMinX(anchor) - ArrowLength - panel.width, clampY(midY - panel.height / 2), panel.width,
                    panel.height),
         CGRectGetMinX(anchor) - ArrowLength - left},
    };
    const Placement* chosen = nullptr;
    for (const auto& p : placements) {
        const double needed = (p.direction & (UIPopoverArrowDirectionUp | UIPopoverArrowDirectionDown)) ? panel.height
                                                                                                         : panel.width;
        if ((permitted & p.direction) && p.room >= needed) {
            chosen = &p;
            break;
        }
    }
    if (!chosen) {
        for (const auto& p : placements) {
            if ((permitted & p.direction) && (!chosen || p.room > chosen->room))
                chosen = &p;
        }
    }
    CGRect frame = chosen->frame;
    frame.origin = {clampX(frame.origin.x), clampY(frame.origin.y)};

    m_arrow = chosen->direction;
    m_panel = UIView::create(frame);
    layoutPanel();
    window->addSubview(m_panel);
    m_visible = true;
    visibleList().push_back(weak_from_this());

    auto transition = m_content->beginTrackedAppearance(true, animated);
    UIViewController::endAppearancesLater({transition}, animated);
}

void UIPopoverController::layoutPanel()
{
    if (!m_panel)
        return;
    const CGSize content = effectiveContentSize();
    CGRect frame = m_panel->frame();
    frame.size = {content.width + 2 * Border, content.height + 2 * Border};
    m_panel->setFrame(frame);
    // Opaque in either style: content with a clear ground must not let the screen under it
    // show through between its rows.
    const bool dark = m_backgroundStyle == 1;
    m_panel->setBackgroundColor(UIColor::colorWithWhite(dark ? 0.15 : 0.97, 1));
    m_panel->layer().cornerRadius = 8;
    m_panel->layer().shadowOpacity = 0.35f;
    m_panel->layer().shadowOffset = {0, 4};
    m_panel->layer().shadowRadius = 8;
    if (m_content) {
        const auto& view = m_content->view();
        view->setFrame(CGRectMake(Border, Border, content.width, content.height));
        if (view->superview() != m_panel.get())
            m_panel->addSubview(view);
    }
}

void UIPopoverController::close(bool animated, bool tellDelegate)
{
    if (!m_visible)
        return;
    auto self = weak_from_this().lock(); // alive until this call is done with it
    m_visible = false;
    m_arrow = UIPopoverArrowDirectionUnknown;
    std::erase_if(visibleList(), [this](const auto& weak) {
        auto p = weak.lock();
        return !p || p.get() == this;
    });
    std::vector<UIViewController::TrackedAppearance> transitions;
    if (m_content)
        transitions.push_back(m_content->beginTrackedAppearance(false, animated));
    if (m_content && m_content->isViewLoaded())
        m_content->view()->removeFromSuperview();
    if (m_panel) {
        m_panel->removeFromSuperview();
        m_panel.reset();
    }
    std::weak_ptr<UIPopoverController> weak = weak_from_this();
    UIViewController::endAppearancesLater(std::move(transitions), animated, [weak, tellDelegate] {
        auto popover = weak.lock();
        if (!popover || !tellDelegate)
            return;
        if (auto d = popover->delegate())
            d->popoverControllerDidDismissPopover(*popover);
    });
}

void UIPopoverController::dismissPopoverAnimated(bool animated)
{
    close(animated, false);
}

bool UIPopoverController::tapOutside()
{
    if (!m_visible)
        return false;
    auto self = weak_from_this().lock();
    if (auto d = delegate(); d && !d->popoverControllerShouldDismissPopover(*this))
        return false;
    close(true, true);
    return true;
}

std::vector<std::shared_ptr<UIPopoverController>> UIPopoverController::visiblePopovers()
{
    std::vector<std::shared_ptr<UIPopoverController>> out;
    for (const auto& weak : visibleList()) {
        if (auto p = weak.lock(); p && p->isPopoverVisible())
            out.push_back(p);
    }
    return out;
}
