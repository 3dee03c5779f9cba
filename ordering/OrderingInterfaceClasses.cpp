#include "ordering/OrderViewController.h"
#include "ordering/OrderedFoodViewController.h"

#include "platform/ui/InterfaceRegistry.h"

void registerOrderingInterfaceClasses()
{
    auto& registry = InterfaceRegistry::shared();
    registry.registerControllerClass<OrderViewController>("OrderViewController", "UIViewController");
    registry.registerControllerClass<OrderedFoodViewController>("OrderedFoodViewController", "UIViewController");
}
