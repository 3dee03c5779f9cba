#pragma once

#include "platform/foundation/Clock.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The names of what stands in a folder (files, links, folders), without following links.
std::set<std::string> namesIn(const std::filesystem::path& folder);

// A fresh data folder for one test, removed afterwards; the standard user defaults and the main
// run loop are reset around it.
class ScopedDataFolder {
public:
    ScopedDataFolder();
    ~ScopedDataFolder();
    ScopedDataFolder(const ScopedDataFolder&) = delete;
    ScopedDataFolder& operator=(const ScopedDataFolder&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
    std::optional<std::string> m_before;
};

// Collects the log lines written while it lives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    std::vector<std::string> lines() const;
    bool contains(const std::string& fragment) const;

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

// Puts a manual clock on the main run loop for the test's lifetime and empties the loop after.
class ManualMainClock {
public:
    ManualMainClock();
    ~ManualMainClock();
    ManualMainClock(const ManualMainClock&) = delete;
    ManualMainClock& operator=(const ManualMainClock&) = delete;
    ManualClock& clock() { return *m_clock; }
    // Advances the clock in steps and runs the main loop after each, so timers fire in order.
    void advance(TimeInterval seconds, TimeInterval step = 0.05);

private:
    std::shared_ptr<ManualClock> m_clock;
};
