#include "app/ScreenRecorder.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/UIImage.h"
#include "platform/ui/ScreenInFront.h"
#include "platform/ui/TypeName.h"
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
    // Most seconds nothing on screen has changed, which the views' fingerprint tells without
    // drawing. A changed fingerprint may still draw the same pixels (a value set and set back,
    // a tile redrawn the same), and comparing them is far cheaper than encoding.
    const std::uint64_t fingerprint = ViewRenderer::screenFingerprint();
    if (m_lastFingerprint == fingerprint)
        return;
    auto picture = ViewRenderer::renderScreen();
    if (!picture)
        return;
    if (m_lastPicture && picture->hasSamePixels(*m_lastPicture)) {
        m_lastFingerprint = fingerprint;
        return;
    }
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
    m_lastFingerprint = fingerprint;
}
