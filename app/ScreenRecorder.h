#pragma once

#include "app/PictureRecord.h"
#include "platform/foundation/FolderLock.h"
#include "platform/foundation/NotificationCenter.h"

#include <filesystem>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class NSTimer;
class UIImage;

// Writes what the screen shows as numbered PNG files into a folder, so a person can follow the
// program without a display: at once whenever the screen in front changes, and otherwise at most
// once a second while what it shows keeps changing. A screen that has not changed costs a walk
// over its views, not a drawing.
//
// The folder is the user's to name, and one run's at a time: the recorder holds it while it lives,
// as it was opened, so renaming it or putting something else at its path changes nothing here.
// It replaces nothing there and, as it starts, removes only the pictures its record says an earlier
// run wrote; its count then starts after the highest count among the names left there. Given a
// folder it does not hold, it writes and removes nothing.
class ScreenRecorder {
public:
    explicit ScreenRecorder(FolderLock folder);
    explicit ScreenRecorder(std::filesystem::path folder);
    ~ScreenRecorder();
    ScreenRecorder(const ScreenRecorder&) = delete;
    ScreenRecorder& operator=(const ScreenRecorder&) = delete;

    // Renders the screen when its views changed and writes it when its pixels differ from the
    // last file written.
    void capture();
    int filesWritten() const { return m_written; }
    // Screens that changed and could not be written; one passed over as unchanged is none.
    int filesNotWritten() const { return m_notWritten; }
    // The folder as named: for messages. The recorder reaches it only as it was opened.
    const std::filesystem::path& folder() const { return m_folder.path(); }
    // Whether a file name is of the form the recorder writes, "0001-LoginViewController.png": the
    // count from 0001 up, then the screen's class name with anything but letters, digits and '_'
    // made '_'. People name their own pictures so too: the form alone never proves a file ours.
    static bool isPictureName(std::string_view name);

private:
    static constexpr int MaxNamesPassedOver = 1000; // in one capture

    FolderLock m_folder;
    PictureRecord m_record;
    NotificationCenter::Token m_observer;
    std::shared_ptr<NSTimer> m_timer;
    std::shared_ptr<UIImage> m_lastPicture; // the screen last written
    std::optional<std::uint64_t> m_lastFingerprint; // of the views last drawn
    int m_written = 0;
    int m_notWritten = 0;
    int m_lastCount = 0; // in the last name written or passed over
};
