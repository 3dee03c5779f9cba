#pragma once

#include "platform/ui/UILabel.h"
#include "platform/ui/UIView.h"

#include <memory>
#include <string>

// The bar along the top of a navigation controller: the top controller's title, centred.
class UINavigationBar : public UIView {
public:
    static constexpr double Height = 44;

    explicit UINavigationBar(const CGRect& frame = CGRectZero);

    void setTitle(std::string title);
    const std::string& title() const { return m_titleLabel->text(); }
    const UILabelPtr& titleLabel() const { return m_titleLabel; }

    void layoutSubviews() override;

private:
    UILabelPtr m_titleLabel;
};

using UINavigationBarPtr = std::shared_ptr<UINavigationBar>;
