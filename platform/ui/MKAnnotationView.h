#pragma once

#include "platform/graphics/UIImage.h"
#include "platform/ui/UIView.h"

#include <memory>

// The marker a map shows for a place: here only its picture, which sizes the view around its
// centre, as a map's marker does.
class MKAnnotationView : public UIView {
public:
    static std::shared_ptr<MKAnnotationView> create(const CGRect& frame = CGRectZero);
    explicit MKAnnotationView(const CGRect& frame = CGRectZero);

    const UIImagePtr& image() const { return m_image; }
    // The view takes the picture's size (none keeps the size it has).
    void setImage(UIImagePtr image);

    void drawRect(const CGRect& rect) override;

private:
    UIImagePtr m_image;
};

using MKAnnotationViewPtr = std::shared_ptr<MKAnnotationView>;
