#include "platform/ui/UIPopoverController.h"

#include "platform/foundation/Log.h"
#include "platform/ui/ScreenInFront.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIWindow.h"

#include <algorithm>
#include <array>

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

// Where a panel may lie: inside the screen margins and below the status bar.
struct PanelArea {
    double left, top, right, bottom;

    double clampX(double x, double width) const { return std::max(left, std::min(x, right - width)); }
    double clampY(double y, double height) const { return std::max(top, std::min(y, bottom - height)); }
};

// The panel on each side of the anchor, its arrow pointing back at it.
std::array<Placement, 4> placementsAround(const CGRect& anchor, CGSize panel, const PanelArea& area)
{
    constexpr double arrow = UIPopoverController::ArrowLength;
    const double x = area.clampX(CGRectGetMidX(anchor) - panel.width / 2, panel.width);
    const double y = area.clampY(CGRectGetMidY(anchor) - panel.height / 2, panel.height);
    return {{
        {UIPopoverArrowDirectionUp, CGRectMake(x, CGRectGetMaxY(anchor) + arrow, panel.width, panel.height),
         area.bottom - (CGRectGetMaxY(anchor) + arrow)},
        {UIPopoverArrowDirectionDown,
         CGRectMake(x, CGRectGetMinY(anchor) - arrow - panel.height, panel.width, panel.height),
         CGRectGetMinY(anchor) - arrow - area.top},
        {UIPopoverArrowDirectionLeft, CGRectMake(CGRectGetMaxX(anchor) + arrow, y, panel.width, panel.height),
         area.right - (CGRectGetMaxX(anchor) + arrow)},
        {UIPopoverArrowDirectionRight,
         CGRectMake(CGRectGetMinX(anchor) - arrow - panel.width, y, panel.width, panel.height),
         CGRectGetMinX(anchor) - arrow - area.left},
    }};
}

// The first permitted side with room for the whole panel, else the permitted side with the most.
const Placement& chosenPlacement(const std::array<Placement, 4>& placements, CGSize panel, unsigned permitted)
{
    for (const auto& p : placements) {
        const double needed = (p.direction & (UIPopoverArrowDirectionUp | UIPopoverArrowDirectionDown)) ? panel.height
                                                                                                         : panel.width;
        if ((permitted & p.direction) && p.room >= needed)
            return p;
    }
    const Placement* chosen = nullptr;
    for (const auto& p : placements) {
        if ((permitted & p.direction) && (!chosen || p.room > chosen->room))
            chosen = &p;
    }
    return *chosen;
}
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
    const PanelArea area {ScreenMargin, UIApplication::sharedApplication().statusBarFrame().size.height + ScreenMargin,
                          screen.size.width - ScreenMargin, screen.size.height - ScreenMargin};
    const auto placements = placementsAround(anchor, panel, area);
    const Placement& chosen = chosenPlacement(placements, panel, permitted);
    CGRect frame = chosen.frame;
    frame.origin = {area.clampX(frame.origin.x, panel.width), area.clampY(frame.origin.y, panel.height)};

    m_arrow = chosen.direction;
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
