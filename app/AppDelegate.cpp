#include "app/AppDelegate.h"

#include "app/ApplicationInterfaceClasses.h"
#include "app/SettingsBundle.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "image/ImageCache.h"
#include "kit/AlertViewReplyAlertDisplay.h"
#include "kit/StatusStripConnectionDisplay.h"
#include "platform/capture/AVCaptureSession.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/UIStoryboard.h"
#include "platform/ui/UIWindow.h"
#include "session/SocketDataHandle.h"

bool AppDelegate::applicationDidFinishLaunching(UIApplication&)
{
    registerDefaultsFromSettingsBundle();
    registerApplicationInterfaceClasses();
    // The picture cache removes its expired files when the application leaves; it has to exist
    // to hear of it, even in a run that shows no picture.
    ImageCache::sharedImageCache();
    // The dispatcher shows the link's state and the server date on the status strip, and the
    // alerts of refused replies as alert views.
    SocketDataHandle::sharedInstance().setStatusDisplay(&StatusStripConnectionDisplay::shared());
    SocketDataHandle::sharedInstance().setAlertDisplay(&AlertViewReplyAlertDisplay::shared());

    m_window = UIWindow::create(UIScreen::mainScreen().bounds());
    auto storyboard = UIStoryboard::storyboardWithName("Storyboard_Main");
    auto first = storyboard ? storyboard->instantiateInitialViewController() : nullptr;
    if (!first) {
        NSLog("the main storyboard has no first screen");
        return false;
    }
    m_window->setRootViewController(first);
    m_window->makeKeyAndVisible();
    return true;
}

void AppDelegate::applicationWillTerminate(UIApplication&)
{
    AVCaptureSession::stopAllRunning();
}

nlohmann::json AppDelegate::registerDefaultsFromSettingsBundle()
{
    auto defaults = SettingsBundle::read().defaults;
    UserDefaults::standard().registerDefaults(defaults);
    return defaults;
}
