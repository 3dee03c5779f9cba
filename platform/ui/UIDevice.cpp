#include "platform/ui/UIDevice.h"

UIDevice& UIDevice::currentDevice()
{
    static UIDevice* device = new UIDevice();
    return *device;
}
