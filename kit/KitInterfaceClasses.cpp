#include "kit/KitInterfaceClasses.h"

#include "kit/ShadowLabel.h"
#include "kit/carousel/CarouselView.h"
#include "kit/snapshot/SnapshotStackView.h"
#include "kit/grid/GridViewCell.h"
#include "platform/ui/InterfaceRegistry.h"

void registerKitInterfaceClasses()
{
    auto& registry = InterfaceRegistry::shared();
    registry.registerViewClass<ShadowLabel>("ShadowLabel", "UILabel");
    registry.registerViewClass<GridViewCell>("GridViewCell", "UIView");
    registry.registerViewClass<CarouselView>("CarouselView", "UIView");
    registry.registerViewClass<SnapshotStackView>("SnapshotStackView", "UIView");
}
