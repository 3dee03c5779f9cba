#include "ordering/FoodView.h"

#include "kit/snapshot/SnapshotStackView.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UINib.h"

namespace {
constexpr CGFloat kPictureCornerRadius = 8;
} // namespace

std::shared_ptr<FoodView> FoodView::initWithXib()
{
    const auto views = UINib::loadNibNamed("FoodView");
    auto card = views.empty() ? nullptr : std::dynamic_pointer_cast<FoodView>(views.back());
    if (card)
        card->awakeFromNib();
    return card;
}

void FoodView::awakeFromNib()
{
    if (m_foodImageView) {
        m_foodImageView->layer().cornerRadius = kPictureCornerRadius;
        m_foodImageView->setClipsToBounds(true);
    }
    if (m_snapshotView) {
        m_snapshotView->setDisplayAsStack(true);
        m_snapshotView->setDefaultImage(UIImage::imageNamed("DefaultImage.jpg"));
    }
}
