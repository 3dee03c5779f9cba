#pragma once

#include "platform/ui/UIView.h"

#include <memory>

class SnapshotStackView;
class UIImageView;
class UILabel;

// The dish card of the interface file "FoodView": the dish's picture with rounded corners and
// its photograph shown as a stack of cards, with the dish's name.
class FoodView : public UIView {
public:
    using UIView::UIView;
    // The card of the interface file, set up; nothing when the file yields no card.
    static std::shared_ptr<FoodView> initWithXib();

    const std::shared_ptr<UIImageView>& foodImageView() const { return m_foodImageView; }
    const std::shared_ptr<SnapshotStackView>& snapshotView() const { return m_snapshotView; }
    const std::shared_ptr<UILabel>& lblFoodName() const { return m_lblFoodName; }
    void setFoodImageView(std::shared_ptr<UIImageView> view) { m_foodImageView = std::move(view); }
    void setSnapshotView(std::shared_ptr<SnapshotStackView> view) { m_snapshotView = std::move(view); }
    void setLblFoodName(std::shared_ptr<UILabel> label) { m_lblFoodName = std::move(label); }

private:
    void awakeFromNib();

    std::shared_ptr<UIImageView> m_foodImageView;
    std::shared_ptr<SnapshotStackView> m_snapshotView;
    std::shared_ptr<UILabel> m_lblFoodName;
};
