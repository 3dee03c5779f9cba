#include "platform/ui/MKAnnotationView.h"

std::shared_ptr<MKAnnotationView> MKAnnotationView::create(const CGRect& frame)
{
    return std::make_shared<MKAnnotationView>(frame);
}

MKAnnotationView::MKAnnotationView(const CGRect& frame)
    : UIView(frame)
{
    setOpaque(false);
}

void MKAnnotationView::setImage(UIImagePtr image)
{
    m_image = std::move(image);
    if (m_image)
        setBounds(CGRect {bounds().origin, m_image->size()});
    setNeedsDisplay();
}

void MKAnnotationView::drawRect(const CGRect&)
{
    if (m_image)
        m_image->drawInRect(bounds());
}
