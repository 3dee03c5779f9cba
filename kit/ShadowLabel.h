#pragma once

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIEdgeInsets.h"
#include "platform/ui/UILabel.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// A label that draws its text itself: a soft drop shadow whose blur can be set, an optional inner
// shadow, an optional gradient across the glyphs, insets of the text within the bounds, and
// drawing through an offscreen picture at a higher pixel density (oversampling).
//
// By default every label gets a soft dark shadow 2 points below its text (black at alpha 0.75,
// blur 5), so screens that place it get that look without setting anything.
class ShadowLabel : public UILabel {
public:
    // Made in code: no background colour.
    static std::shared_ptr<ShadowLabel> create(const CGRect& frame = CGRectZero);
    // Sets the defaults but leaves the background alone, as a label made from an interface file
    // keeps the background that the file gives it.
    explicit ShadowLabel(const CGRect& frame = CGRectZero);

    double shadowBlur() const { return m_shadowBlur; }
    void setShadowBlur(double blur) { m_shadowBlur = blur; }
    const UIColorPtr& innerShadowColor() const { return m_innerShadowColor; }
    void setInnerShadowColor(UIColorPtr color);
    CGSize innerShadowOffset() const { return m_innerShadowOffset; }
    void setInnerShadowOffset(CGSize offset);

    // Stops of the gradient: the first at the start point, the last at the end point, the others
    // evenly between. Each is laid over the text colour. One colour alone draws no gradient.
    const std::vector<UIColorPtr>& gradientColors() const { return m_gradientColors; }
    void setGradientColors(std::vector<UIColorPtr> colors);
    UIColorPtr gradientStartColor() const;
    // Null removes every stop; with fewer than two stops the colour becomes both.
    void setGradientStartColor(const UIColorPtr& color);
    UIColorPtr gradientEndColor() const;
    void setGradientEndColor(const UIColorPtr& color);
    // In unit coordinates of the text rectangle.
    CGPoint gradientStartPoint() const { return m_gradientStartPoint; }
    void setGradientStartPoint(CGPoint point) { m_gradientStartPoint = point; }
    CGPoint gradientEndPoint() const { return m_gradientEndPoint; }
    void setGradientEndPoint(CGPoint point) { m_gradientEndPoint = point; }

    // Pixels per point of the offscreen drawing, kept within minSamples and maxSamples.
    std::uint64_t oversampling() const { return m_oversampling; }
    void setOversampling(std::uint64_t samples);
    std::uint64_t minSamples() const { return m_minSamples; }
    void setMinSamples(std::uint64_t samples) { m_minSamples = samples; }
    std::uint64_t maxSamples() const { return m_maxSamples; }
    void setMaxSamples(std::uint64_t samples) { m_maxSamples = samples; }

    UIEdgeInsets textInsets() const { return m_textInsets; }
    void setTextInsets(UIEdgeInsets insets);

    // Red, green, blue and alpha of a colour; a missing colour logs and counts as opaque black.
    static std::array<double, 4> getComponents(const UIColorPtr& color);
    // top laid over below.
    static UIColorPtr color(const UIColorPtr& top, const UIColorPtr& blendedWithColor);

    struct TextLayout {
        CGRect textRect;
        double fontSize = 0;
    };
    // Where the text goes within the bounds less the insets, and at which size.
    TextLayout textLayout() const;
    // Whether a draw of rect goes through an offscreen picture: asked for by oversampling or an
    // opaque background, and only while that picture stays within the pixel limits.
    bool drawsOffscreen(const CGRect& rect) const;

    void drawRect(const CGRect& rect) override;
    void addDrawnContent(ViewFingerprint& fingerprint) const override;

private:
    void setDefaults();
    UIColorPtr drawingTextColor() const;
    void drawText(CGContext& context, const TextLayout& layout) const;
    std::shared_ptr<UIImage> makeMask(const TextLayout& layout, double scale) const;
    void clipToMask(CGContext& context, const UIImage& mask) const;
    void drawLabel(CGContext& context) const;

    double m_shadowBlur = 5;
    UIColorPtr m_innerShadowColor;
    std::vector<UIColorPtr> m_gradientColors;
    std::uint64_t m_oversampling = 1;
    std::uint64_t m_minSamples = 1;
    std::uint64_t m_maxSamples = 32;
    CGSize m_innerShadowOffset = CGSizeZero;
    CGPoint m_gradientStartPoint {0.5, 0};
    CGPoint m_gradientEndPoint {0.5, 0.75};
    UIEdgeInsets m_textInsets = UIEdgeInsetsZero;
};

using ShadowLabelPtr = std::shared_ptr<ShadowLabel>;
