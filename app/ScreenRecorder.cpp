#include "app/ScreenRecorder.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/UIImage.h"
#include "platform/ui/ScreenInFront.h"
#include "platform/ui/TypeName.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIWindow.h"
#include "platform/ui/ViewRenderer.h"

#include <cstdio>

ScreenRecorder::ScreenRecorder(std::filesystem::path folder)
    : m_folder(std::move(folder))
{
    std::error_code ec;
    std::filesystem::create_directories(m_folder, ec);
    m_observer = NotificationCenter::defaultCenter().addObserver(ScreenInFrontDidChangeNotification,
                                                                 [this](const Notification&) { capture(); });
    m_timer = NSTimer::scheduledTimerWithTimeInterval(1.0, true, [this](NSTimer&) { capture(); });
    capture();
}

ScreenRecorder::~ScreenRecorder()
{
    m_timer->invalidate();
}

void ScreenRecorder::capture()
{
    for (const auto& window : UIApplication::sharedApplication().windows())
        window->layoutIfNeeded();
    auto picture = ViewRenderer::renderScreen();
    // Most seconds nothing on screen has changed: comparing the pixels is cheap, encoding is not.
    if (!picture || (m_lastPicture && picture->hasSamePixels(*m_lastPicture)))
        return;
    auto bytes = picture->pngData();
    if (!bytes)
        return;
    auto front = ScreenInFront::visibleController();
    const std::string screen = front ? typeNameOf(*front) : "NoScreen";
    char name[32];
    std::snprintf(name, sizeof name, "%04d-", ++m_written);
    const auto path = m_folder / (name + screen + ".png");
    if (!writeFileAtomically(path, *bytes, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write
                                               | std::filesystem::perms::group_read | std::filesystem::perms::others_read)) {
        NSLog("could not write %s", path.c_str());
        return;
    }
    m_lastPicture = std::move(picture);
}
