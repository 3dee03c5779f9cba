#include "app/ScreenRecorder.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/UIImage.h"
#include "platform/ui/ScreenInFront.h"
#include "platform/ui/TypeName.h"
#include "platform/ui/ViewRenderer.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
// ASCII by rule, whatever the locale, so a name reads the same to every tool that lists the folder.
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isNameCharacter(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// The highest count among the folder's names of the pictures' form, the user's and earlier runs'
// alike: this run's pictures come after everything already there, so no name taken before it
// started costs a picture, however many there are.
int highestCountIn(const OpenFolder& folder)
{
    constexpr int Unreachable = 1'000'000'000; // a count no run comes near is never in the way
    int highest = 0;
    for (const auto& name : folder.names()) {
        int count = 0;
        if (ScreenRecorder::isPictureName(name)
            && std::from_chars(name.data(), name.data() + name.find('-'), count).ec == std::errc()
            && count < Unreachable)
            highest = std::max(highest, count);
    }
    return highest;
}
} // namespace

bool ScreenRecorder::isPictureName(std::string_view name)
{
    constexpr std::string_view Extension = ".png";
    const auto dash = name.find('-');
    if (dash == std::string_view::npos || !name.ends_with(Extension) || dash + 1 + Extension.size() >= name.size())
        return false;
    const auto count = name.substr(0, dash);
    const auto screen = name.substr(dash + 1, name.size() - dash - 1 - Extension.size());
    // "%04d" of a count from 1: four digits, or more without a leading zero.
    const bool countWritten = std::all_of(count.begin(), count.end(), isDigit)
        && (count.size() == 4 ? count != "0000" : count.size() > 4 && count[0] != '0');
    return countWritten && std::all_of(screen.begin(), screen.end(), isNameCharacter);
}

ScreenRecorder::ScreenRecorder(FolderLock held)
    : m_folder(std::move(held))
    , m_record(m_folder.folder(), isPictureName)
{
    if (!m_folder.isHeld()) {
        NSLog("not writing the screen to %s: %s", folder().c_str(), m_folder.problem().c_str());
        return;
    }
    if (const auto removed = m_record.removeRecordedPictures())
        NSLog("removed %zu screen pictures an earlier run wrote in %s", removed, folder().c_str());
    m_lastCount = highestCountIn(*m_folder.folder());
    m_observer = NotificationCenter::defaultCenter().addObserver(ScreenInFrontDidChangeNotification,
                                                                 [this](const Notification&) { capture(); });
    m_timer = NSTimer::scheduledTimerWithTimeInterval(1.0, true, [this](NSTimer&) { capture(); });
    capture();
}

ScreenRecorder::ScreenRecorder(std::filesystem::path folder)
    : ScreenRecorder(FolderLock(std::move(folder)))
{
}

ScreenRecorder::~ScreenRecorder()
{
    if (m_timer)
        m_timer->invalidate();
}

void ScreenRecorder::capture()
{
    if (!m_folder.isHeld())
        return;
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
    std::string screen = front ? typeNameOf(*front) : "NoScreen";
    std::replace_if(screen.begin(), screen.end(), [](char c) { return !isNameCharacter(c); }, '_');
    // Nothing of the user's is replaced: a name taken since the run started is passed over for the
    // next count.
    for (int attempt = 0; attempt < MaxNamesPassedOver; ++attempt) {
        char count[32];
        std::snprintf(count, sizeof count, "%04d-", m_lastCount + 1);
        const std::string name = count + screen + ".png";
        CreatedFile file;
        // Readable by whom the user's file-creation mask allows, as any file the user makes.
        const auto written = m_folder.folder()->createNew(name, *bytes, 0666, FileFlush::ToDisk, &file);
        if (written == FileCreation::Failed) {
            const std::string why = std::strerror(errno);
            ++m_notWritten;
            NSLog("could not write the screen into %s: %s", folder().c_str(), why.c_str());
            return;
        }
        ++m_lastCount;
        if (written == FileCreation::NameTaken)
            continue;
        m_record.add(name, file.identity);
        ++m_written;
        m_lastPicture = std::move(picture);
        m_lastFingerprint = fingerprint;
        return;
    }
    ++m_notWritten;
    NSLog("could not write the screen into %s: %d names in a row were taken", folder().c_str(), MaxNamesPassedOver);
}
