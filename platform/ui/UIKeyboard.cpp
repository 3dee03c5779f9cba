#include "platform/ui/UIKeyboard.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIScreen.h"

namespace UIKeyboard {

namespace {
bool g_visible = false;
// Tells a pending did-notification whether the keyboard has changed its mind since.
std::uint64_t g_generation = 0;

CGRect frameWhenHidden()
{
    const CGRect shown = frameWhenShown();
    return CGRectOffset(shown, 0, shown.size.height);
}

void announce(const std::string& will, const std::string& did, CGRect from, CGRect to)
{
    const std::map<std::string, std::any> info {{UIKeyboardFrameBeginUserInfoKey, from},
                                                {UIKeyboardFrameEndUserInfoKey, to},
                                                {UIKeyboardAnimationDurationUserInfoKey, AnimationDuration}};
    NotificationCenter::defaultCenter().post(will, nullptr, info);
    const std::uint64_t generation = ++g_generation;
    RunLoop::main().perform(
        [did, info, generation] {
            if (generation == g_generation)
                NotificationCenter::defaultCenter().post(did, nullptr, info);
        },
        AnimationDuration, nullptr, {RunLoopModes::Common});
}
} // namespace

bool isVisible()
{
    return g_visible;
}

CGRect frameWhenShown()
{
    const CGRect screen = UIScreen::mainScreen().bounds();
    const bool landscape = UIInterfaceOrientationIsLandscape(UIApplication::sharedApplication().statusBarOrientation());
    const double height = landscape ? 352 : 264;
    return CGRectMake(0, screen.size.height - height, screen.size.width, height);
}

void show()
{
    if (g_visible)
        return;
    g_visible = true;
    announce(UIKeyboardWillShowNotification, UIKeyboardDidShowNotification, frameWhenHidden(), frameWhenShown());
}

void hide()
{
    if (!g_visible)
        return;
    g_visible = false;
    announce(UIKeyboardWillHideNotification, UIKeyboardDidHideNotification, frameWhenShown(), frameWhenHidden());
}

void resetForTesting()
{
    g_visible = false;
    ++g_generation;
}

} // namespace UIKeyboard
