#include "wine/StoreWineViewController.h"

#include "platform/ui/InterfaceRegistry.h"

void registerWineInterfaceClasses()
{
    InterfaceRegistry::shared().registerControllerClass<StoreWineViewController>("StoreWineViewController",
                                                                                "UIViewController");
}
