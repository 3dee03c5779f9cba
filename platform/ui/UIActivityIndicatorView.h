#pragma once

#include "platform/ui/UIView.h"

class InterfaceRegistry;

enum class UIActivityIndicatorViewStyle : int { WhiteLarge = 0, White = 1, Gray = 2 };

// The spinning wheel. Stopped it hides itself unless told not to.
class UIActivityIndicatorView : public UIView {
public:
    // Makes the class known to interface files, with the properties they may set.
    static void registerInterfaceClass(InterfaceRegistry& r);
    static std::shared_ptr<UIActivityIndicatorView> create(UIActivityIndicatorViewStyle style);
    // 37 points square in the large style, 20 otherwise.
    explicit UIActivityIndicatorView(UIActivityIndicatorViewStyle style = UIActivityIndicatorViewStyle::White);

    UIActivityIndicatorViewStyle activityIndicatorViewStyle() const { return m_style; }
    void setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style);
    const UIColorPtr& color() const { return m_color; }
    void setColor(UIColorPtr color);

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return m_animating; }
    bool hidesWhenStopped() const { return m_hidesWhenStopped; }
    void setHidesWhenStopped(bool hides);

    CGSize sizeThatFits(CGSize size) const override;
    void drawRect(const CGRect& rect) override;

private:
    UIActivityIndicatorViewStyle m_style;
    UIColorPtr m_color;
    bool m_animating = false;
    bool m_hidesWhenStopped = true;
};

using UIActivityIndicatorViewPtr = std::shared_ptr<UIActivityIndicatorView>;
