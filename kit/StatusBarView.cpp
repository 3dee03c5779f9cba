#include "kit/StatusBarView.h"

#include "platform/graphics/TextMetric.h"

#include <cmath>

std::shared_ptr<StatusBarView> StatusBarView::create(const CGRect& frame)
{
    return std::make_shared<StatusBarView>(frame);
}

const UILabelPtr& StatusBarView::textLabel()
{
    if (!m_textLabel) {
        m_textLabel = UILabel::create(bounds());
        m_textLabel->setBackgroundColor(UIColor::clearColor());
        m_textLabel->setBaselineAdjustment(UIBaselineAdjustment::AlignCenters);
        m_textLabel->setTextAlignment(NSTextAlignment::Center);
        m_textLabel->setAdjustsFontSizeToFitWidth(true);
        m_textLabel->setClipsToBounds(true);
        addSubview(m_textLabel);
    }
    return m_textLabel;
}

const UIActivityIndicatorViewPtr& StatusBarView::activityIndicatorView()
{
    if (!m_activityIndicatorView) {
        m_activityIndicatorView = UIActivityIndicatorView::create(UIActivityIndicatorViewStyle::White);
        m_activityIndicatorView->setTransform(CGAffineTransformMakeScale(0.7, 0.7));
        addSubview(m_activityIndicatorView);
    }
    return m_activityIndicatorView;
}

void StatusBarView::setTextVerticalPositionAdjustment(double adjustment)
{
    m_textVerticalPositionAdjustment = adjustment;
    setNeedsLayout();
}

CGSize StatusBarView::currentTextSize() const
{
    if (!m_textLabel)
        return CGSizeZero;
    return TextMetric::sizeWithFont(m_textLabel->text(), *m_textLabel->font());
}

void StatusBarView::layoutSubviews()
{
    UIView::layoutSubviews();
    const CGRect b = bounds();
    textLabel()->setFrame(CGRectMake(0, 1 + m_textVerticalPositionAdjustment, b.size.width, b.size.height - 1));
    if (!m_activityIndicatorView)
        return;
    // The spinner stands 8 points left of the centred text, whatever the text's length.
    const CGSize text = currentTextSize();
    CGRect indicator = m_activityIndicatorView->frame();
    indicator.origin.x = std::round((b.size.width - text.width) / 2) - indicator.size.width - 8;
    indicator.origin.y = std::ceil((b.size.height - indicator.size.height) / 2 + 1);
    m_activityIndicatorView->setFrame(indicator);
}
