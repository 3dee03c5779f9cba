#pragma once

#include "platform/graphics/UIImage.h"
#include "platform/ui/UIView.h"

#include <vector>

class InterfaceRegistry;

// Shows a picture, placed by the view's content mode.
class UIImageView : public UIView {
public:
    // Makes the class known to interface files, with the properties they may set.
    static void registerInterfaceClass(InterfaceRegistry& r);
    static std::shared_ptr<UIImageView> create(const CGRect& frame = CGRectZero);
    // A view the size of the picture, at the origin.
    static std::shared_ptr<UIImageView> createWithImage(UIImagePtr image);
    explicit UIImageView(const CGRect& frame = CGRectZero);

    const UIImagePtr& image() const { return m_image; }
    void setImage(UIImagePtr image);
    const UIImagePtr& highlightedImage() const { return m_highlightedImage; }
    void setHighlightedImage(UIImagePtr image);
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);
    // The picture shown now: while animating, the frame of the moment.
    UIImagePtr currentImage() const;

    // Frames shown one after the other while animating, instead of the image. A duration of 0
    // shows 30 frames a second.
    const std::vector<UIImagePtr>& animationImages() const { return m_animationImages; }
    void setAnimationImages(std::vector<UIImagePtr> images);
    double animationDuration() const { return m_animationDuration; }
    void setAnimationDuration(double seconds) { m_animationDuration = seconds; }
    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return m_animating; }

    // Where the picture lands within the bounds under the content mode.
    CGRect imageRect() const;

    CGSize sizeThatFits(CGSize size) const override;
    void drawRect(const CGRect& rect) override;
    void addDrawnContent(ViewFingerprint& fingerprint) const override;

private:
    UIImagePtr m_image;
    UIImagePtr m_highlightedImage;
    bool m_highlighted = false;
    std::vector<UIImagePtr> m_animationImages;
    double m_animationDuration = 0;
    bool m_animating = false;
    TimeInterval m_animationStart = 0;
};

using UIImageViewPtr = std::shared_ptr<UIImageView>;
