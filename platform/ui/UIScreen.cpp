#include "platform/ui/UIScreen.h"

#include "platform/graphics/MainScreenScale.h"
#include "platform/ui/UIApplication.h"

UIScreen& UIScreen::mainScreen()
{
    static UIScreen* screen = new UIScreen();
    return *screen;
}

CGRect UIScreen::bounds() const
{
    if (UIInterfaceOrientationIsLandscape(UIApplication::sharedApplication().statusBarOrientation()))
        return CGRectMake(0, 0, 1024, 768);
    return CGRectMake(0, 0, 768, 1024);
}

double UIScreen::scale() const { return MainScreenScale::get(); }

void UIScreen::setScale(double scale) { MainScreenScale::set(scale); }
