#pragma once

#include "platform/graphics/UIImage.h"
#include "platform/ui/UIView.h"

// Shows a picture, placed by the view's content mode.
class UIImageView : public UIView {
public:
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
    // The picture shown now.
    UIImagePtr currentImage() const;

    // Where the picture lands within the bounds under the content mode.
    CGRect imageRect() const;

    CGSize sizeThatFits(CGSize size) const override;
    void drawRect(const CGRect& rect) override;

private:
    UIImagePtr m_image;
    UIImagePtr m_highlightedImage;
    bool m_highlighted = false;
};

using UIImageViewPtr = std::shared_ptr<UIImageView>;
