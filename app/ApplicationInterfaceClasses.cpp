#include "app/ApplicationInterfaceClasses.h"

#include "billing/BillViewController.h"
#include "ordering/OrderViewController.h"
#include "platform/ui/InterfaceRegistry.h"
#include "rooms/RoomsInterfaceClasses.h"
#include "wine/StoreWineViewController.h"

void registerApplicationInterfaceClasses()
{
    registerPlatformInterfaceClasses();
    registerRoomsInterfaceClasses();
    registerOrderingInterfaceClasses();
    registerBillingInterfaceClasses();
    registerWineInterfaceClasses();
}
