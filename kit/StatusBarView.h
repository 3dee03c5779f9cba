#pragma once

#include "platform/ui/UIActivityIndicatorView.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UIView.h"

// The bar of the status strip: a centred text label across the whole bar, a small spinner left of
// the text, and a vertical nudge of the text. Label and spinner are made on first use.
class StatusBarView : public UIView {
public:
    static std::shared_ptr<StatusBarView> create(const CGRect& frame = CGRectZero);
    using UIView::UIView;

    const UILabelPtr& textLabel();
    void setTextLabel(UILabelPtr label) { m_textLabel = std::move(label); }
    bool hasTextLabel() const { return m_textLabel != nullptr; }
    const UIActivityIndicatorViewPtr& activityIndicatorView();
    void setActivityIndicatorView(UIActivityIndicatorViewPtr view) { m_activityIndicatorView = std::move(view); }
    bool hasActivityIndicatorView() const { return m_activityIndicatorView != nullptr; }

    double textVerticalPositionAdjustment() const { return m_textVerticalPositionAdjustment; }
    void setTextVerticalPositionAdjustment(double adjustment);

    // The label's text measured in the label's font; zero without a label or text.
    CGSize currentTextSize() const;

    void layoutSubviews() override;

private:
    UILabelPtr m_textLabel;
    UIActivityIndicatorViewPtr m_activityIndicatorView;
    double m_textVerticalPositionAdjustment = 0;
};

using StatusBarViewPtr = std::shared_ptr<StatusBarView>;
