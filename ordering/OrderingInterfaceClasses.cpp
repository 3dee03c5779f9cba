#include "ordering/OrderViewController.h"

#include "platform/ui/InterfaceRegistry.h"

void registerOrderingInterfaceClasses()
{
    InterfaceRegistry::shared().registerControllerClass<OrderViewController>("OrderViewController", "UIViewController");
}
