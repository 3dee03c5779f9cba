#include "kit/grid/GridViewCell.h"

#include "kit/grid/ViewAdditions.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UILabel.h"

#include <algorithm>

namespace {

// Every view that has a highlighted state takes the cell's.
void passHighlight(UIView& view, bool highlighted)
{
    if (auto* control = dynamic_cast<UIControl*>(&view))
        control->setHighlighted(highlighted);
    else if (auto* image = dynamic_cast<UIImageView*>(&view))
        image->setHighlighted(highlighted);
    else if (auto* label = dynamic_cast<UILabel*>(&view))
        label->setHighlighted(highlighted);
    else if (auto* cell = dynamic_cast<GridViewCell*>(&view))
        cell->setHighlighted(highlighted);
}
constexpr unsigned kFlexibleMargins = UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin
    | UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin;
constexpr CGFloat kPlainDeleteButtonSide = 35;
constexpr TimeInterval kEditingFadeDuration = 0.2;
constexpr TimeInterval kFullSizeDuration = 0.3;
constexpr CGFloat kReturningContentAlpha = 0.6;
} // namespace

std::shared_ptr<GridViewCell> GridViewCell::create(const CGRect& frame)
{
    return std::make_shared<GridViewCell>(frame);
}

GridViewCell::GridViewCell(const CGRect& frame)
    : UIView(frame)
    , m_defaultFullsizeViewResizingMask(kFlexibleMargins)
{
    setAutoresizesSubviews(false);
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
    m_deleteButton = button;
    setDeleteButtonIcon(nullptr);
    setDeleteButtonOffset(CGPointMake(-5, -5));
    button->setAlpha(0);
    addSubview(button);
    button->addTarget(this, [this](UIControl&) { actionDelete(); }, UIControlEventTouchUpInside);
}

GridViewCell::~GridViewCell()
{
    // The button may outlive the cell if someone else holds it.
    if (auto button = m_deleteButton.lock())
        button->removeTarget(this, UIControlEventAllEvents);
}

void GridViewCell::setContentView(const UIViewPtr& view)
{
    shake(false);
    CGRect frame = bounds();
    if (m_contentView) {
        frame = m_contentView->frame();
        m_contentView->removeFromSuperview();
    }
    m_contentView = view;
    if (!view)
        return;
    view->setFrame(frame);
    view->setAutoresizingMask(UIViewAutoresizingNone);
    addSubview(view);
    if (auto button = m_deleteButton.lock())
        bringSubviewToFront(button.get());
}

void GridViewCell::setFullSizeView(const UIViewPtr& view)
{
    const UIViewPtr old = m_fullSizeView;
    if (view) {
        if (m_inFullSizeMode && old) {
            view->setFrame(old->frame());
            view->setAlpha(old->alpha());
        } else {
            view->setFrame(bounds());
            view->setAlpha(0);
        }
        m_defaultFullsizeViewResizingMask = view->autoresizingMask() | kFlexibleMargins;
        view->setAutoresizingMask(old ? old->autoresizingMask() : UIViewAutoresizingNone);
    } else {
        m_defaultFullsizeViewResizingMask = kFlexibleMargins;
    }
    if (old)
        old->removeFromSuperview();
    m_fullSizeView = view;
    if (view)
        addSubview(view);
    if (auto button = m_deleteButton.lock())
        bringSubviewToFront(button.get());
}

void GridViewCell::setFullSize(CGSize size)
{
    m_fullSize = size;
    setNeedsLayout();
}

void GridViewCell::setEditing(bool editing, bool animated)
{
    if (editing == m_editing)
        return;
    m_editing = editing;
    const std::weak_ptr<UIButton> weakButton = m_deleteButton;
    const auto showButton = [weakButton, editing] {
        if (auto button = weakButton.lock())
            button->setAlpha(editing ? 1 : 0);
    };
    if (animated)
        UIView::animateWithDuration(kEditingFadeDuration, 0, UIViewAnimationOptionAllowUserInteraction, showButton);
    else
        showButton();
    if (m_contentView)
        m_contentView->setUserInteractionEnabled(!editing);
    ViewAdditions::shakeStatus(*this, editing);
}

void GridViewCell::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    const ViewAdditions::SubviewBlock pass = [highlighted](UIView& view, bool&) { passHighlight(view, highlighted); };
    if (m_contentView) {
        ViewAdditions::recursiveEnumerateSubviewsUsingBlock(*m_contentView, pass);
        return;
    }
    // A tile laid out by an interface file has no content view: its own subviews are its
    // content, all but the delete button.
    const auto deleteButton = m_deleteButton.lock();
    for (const auto& subview : subviews()) {
        if (subview == deleteButton)
            continue;
        bool stop = false;
        pass(*subview, stop);
        ViewAdditions::recursiveEnumerateSubviewsUsingBlock(*subview, pass);
    }
}

UIImagePtr GridViewCell::deleteButtonIcon() const
{
    auto button = m_deleteButton.lock();
    return button ? button->imageForState(UIControlStateNormal) : nullptr;
}

void GridViewCell::setDeleteButtonIcon(const UIImagePtr& icon)
{
    auto button = m_deleteButton.lock();
    if (!button)
        return;
    button->setImage(icon, UIControlStateNormal);
    const CGPoint origin = button->frame().origin;
    if (icon) {
        button->setFrame(CGRect {origin, icon->size()});
        button->setTitle("", UIControlStateNormal);
        button->setBackgroundColor(UIColor::clearColor());
    } else {
        button->setFrame(CGRectMake(origin.x, origin.y, kPlainDeleteButtonSide, kPlainDeleteButtonSide));
        button->setTitle("X", UIControlStateNormal);
        button->setBackgroundColor(UIColor::lightGrayColor());
    }
}

CGPoint GridViewCell::deleteButtonOffset() const
{
    auto button = m_deleteButton.lock();
    return button ? button->frame().origin : CGPointZero;
}

void GridViewCell::setDeleteButtonOffset(CGPoint offset)
{
    if (auto button = m_deleteButton.lock())
        button->setFrame(CGRect {offset, button->frame().size});
}

void GridViewCell::prepareForReuse()
{
    setFullSize(CGSizeZero);
    setFullSizeView(nullptr);
    setEditing(false, false);
    m_deleteBlock = nullptr;
}

void GridViewCell::shake(bool on)
{
    if (on == m_inShakingMode)
        return;
    if (m_contentView)
        ViewAdditions::shakeStatus(*m_contentView, on);
    m_inShakingMode = on;
}

void GridViewCell::switchToFullSizeMode(bool fullSizeMode)
{
    const std::weak_ptr<UIView> weakSelf = weak_from_this();
    const auto relayout = [weakSelf](bool) {
        if (auto self = weakSelf.lock())
            self->setNeedsLayout();
    };
    const UIViewPtr full = m_fullSizeView;
    const UIViewPtr content = m_contentView;
    if (fullSizeMode) {
        if (full) {
            full->setAutoresizingMask(m_defaultFullsizeViewResizingMask);
            const CGPoint centre = full->center();
            full->setFrame(CGRect {full->frame().origin, m_fullSize});
            full->setCenter(centre);
        }
        m_inFullSizeMode = true;
        if (full)
            full->setAlpha(std::max(full->alpha(), content ? content->alpha() : 0.0));
        if (content)
            content->setAlpha(0);
        const CGSize size = m_fullSize;
        UIView::animateWithDuration(
            kFullSizeDuration,
            [full, size] {
                if (!full)
                    return;
                const CGPoint centre = full->center();
                full->setAlpha(1);
                full->setFrame(CGRect {full->frame().origin, size});
                full->setCenter(centre);
            },
            relayout);
        return;
    }
    if (full)
        full->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_inFullSizeMode = false;
    if (full)
        full->setAlpha(0);
    if (content)
        content->setAlpha(kReturningContentAlpha);
    const CGRect cellBounds = bounds();
    UIView::animateWithDuration(
        kFullSizeDuration,
        [full, content, cellBounds] {
            if (content)
                content->setAlpha(1);
            if (full)
                full->setFrame(cellBounds);
        },
        relayout);
}

void GridViewCell::touchesBegan()
{
    setHighlighted(true);
}

void GridViewCell::touchesEnded()
{
    setHighlighted(false);
}

void GridViewCell::touchesCancelled()
{
    setHighlighted(false);
}

void GridViewCell::actionDelete()
{
    if (m_deleteBlock) {
        // The block may clear itself (a grid removing this item); it runs from a copy.
        const DeleteBlock block = m_deleteBlock;
        block(*this);
    }
}

void GridViewCell::layoutSubviews()
{
    if (!m_fullSizeView)
        return;
    if (m_inFullSizeMode) {
        const CGRect b = bounds();
        m_fullSizeView->setFrame(CGRectMake((b.size.width - m_fullSize.width) / 2, (b.size.height - m_fullSize.height) / 2,
                                            m_fullSize.width, m_fullSize.height));
    } else {
        m_fullSizeView->setFrame(bounds());
    }
}
