#pragma once

#include "platform/graphics/TextAttributes.h"
#include "platform/graphics/UIFont.h"
#include "platform/ui/UIView.h"

#include <string>

class InterfaceRegistry;

enum class UIBaselineAdjustment : int { AlignBaselines = 0, AlignCenters = 1, None = 2 };

// Text in a rectangle, measured by the text metric and drawn centred vertically.
class UILabel : public UIView {
public:
    // Makes the class known to interface files, with the properties they may set.
    static void registerInterfaceClass(InterfaceRegistry& r);
    static std::shared_ptr<UILabel> create(const CGRect& frame = CGRectZero);
    explicit UILabel(const CGRect& frame = CGRectZero);

    const std::string& text() const { return m_text; }
    void setText(std::string text);
    const UIFontPtr& font() const { return m_font; }
    // A null font restores the default, the system font of 17 points.
    void setFont(UIFontPtr font);
    const UIColorPtr& textColor() const { return m_textColor; }
    void setTextColor(UIColorPtr color);
    const UIColorPtr& highlightedTextColor() const { return m_highlightedTextColor; }
    void setHighlightedTextColor(UIColorPtr color);
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    NSTextAlignment textAlignment() const { return m_alignment; }
    void setTextAlignment(NSTextAlignment alignment);
    NSLineBreakMode lineBreakMode() const { return m_lineBreakMode; }
    void setLineBreakMode(NSLineBreakMode mode);
    // 0: as many lines as the bounds hold.
    int numberOfLines() const { return m_numberOfLines; }
    void setNumberOfLines(int lines);

    // Shrinking to the width applies to one-line labels, no further than minimumFontSize or,
    // when that is 0, the font size times minimumScaleFactor; with both 0 the font stays as it is.
    bool adjustsFontSizeToFitWidth() const { return m_adjustsFontSize; }
    void setAdjustsFontSizeToFitWidth(bool adjusts);
    double minimumFontSize() const { return m_minimumFontSize; }
    void setMinimumFontSize(double size);
    double minimumScaleFactor() const { return m_minimumScaleFactor; }
    void setMinimumScaleFactor(double factor);
    UIBaselineAdjustment baselineAdjustment() const { return m_baselineAdjustment; }
    void setBaselineAdjustment(UIBaselineAdjustment adjustment) { m_baselineAdjustment = adjustment; }

    // A hard shadow under the text; none without a colour.
    const UIColorPtr& shadowColor() const { return m_shadowColor; }
    void setShadowColor(UIColorPtr color);
    CGSize shadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(CGSize offset);

    // The colour the text is drawn in now (highlight and enabled state considered).
    UIColorPtr currentTextColor() const;
    // The font size used when drawing in rect (smaller than the font's when shrinking).
    double fontSizeForDrawing(const CGRect& rect) const;

    CGSize sizeThatFits(CGSize size) const override;
    virtual CGRect textRectForBounds(const CGRect& bounds, int numberOfLines) const;
    virtual void drawTextInRect(const CGRect& rect);
    void drawRect(const CGRect& rect) override;
    void addDrawnContent(ViewFingerprint& fingerprint) const override;

private:
    std::string m_text;
    UIFontPtr m_font;
    UIColorPtr m_textColor = UIColor::blackColor();
    UIColorPtr m_highlightedTextColor;
    UIColorPtr m_shadowColor;
    CGSize m_shadowOffset {0, -1};
    bool m_highlighted = false;
    bool m_enabled = true;
    NSTextAlignment m_alignment = NSTextAlignment::Left;
    NSLineBreakMode m_lineBreakMode = NSLineBreakMode::ByTruncatingTail;
    int m_numberOfLines = 1;
    bool m_adjustsFontSize = false;
    double m_minimumFontSize = 0;
    double m_minimumScaleFactor = 0;
    UIBaselineAdjustment m_baselineAdjustment = UIBaselineAdjustment::AlignBaselines;
};

using UILabelPtr = std::shared_ptr<UILabel>;
