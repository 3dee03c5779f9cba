#include "billing/BillViewController.h"
#include "billing/VipCardFreeViewController.h"

#include "platform/ui/InterfaceRegistry.h"

void registerBillingInterfaceClasses()
{
    auto& registry = InterfaceRegistry::shared();
    registry.registerControllerClass<VipCardFreeViewController>("VipCardFreeViewController", "UIViewController");
    registry.registerControllerClass<BillViewController>("BillViewController", "UIViewController");
}
