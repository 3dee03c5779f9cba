#include "tests/support/TestEnvironment.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <unistd.h>

namespace fs = std::filesystem;

std::set<std::string> namesIn(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

ScopedDataFolder::ScopedDataFolder()
{
    // A new folder of our own: whatever already stands in the temporary folder is someone else's.
    std::string pattern = (fs::temp_directory_path() / "floorpad-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw fs::filesystem_error("cannot make a test data folder", pattern, std::error_code(errno, std::generic_category()));
    m_path = pattern;
    if (const char* before = std::getenv("FLOORPAD_DATA_DIR"))
        m_before = before;
    ::setenv("FLOORPAD_DATA_DIR", m_path.c_str(), 1);
    Paths::setDataFolder(m_path);
    UserDefaults::resetStandard();
}

ScopedDataFolder::~ScopedDataFolder()
{
    UserDefaults::resetStandard();
    Paths::setDataFolder(std::nullopt);
    if (m_before)
        ::setenv("FLOORPAD_DATA_DIR", m_before->c_str(), 1);
    else
        ::unsetenv("FLOORPAD_DATA_DIR");
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

struct LogCapture::Shared {
    mutable std::mutex mutex;
    std::vector<std::string> lines;
};

LogCapture::LogCapture()
    : m_shared(std::make_shared<Shared>())
{
    Log::setSink([shared = m_shared](std::string_view line) {
        std::lock_guard lock(shared->mutex);
        shared->lines.emplace_back(line);
    });
}

LogCapture::~LogCapture()
{
    Log::resetSink();
}

std::vector<std::string> LogCapture::lines() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->lines;
}

bool LogCapture::contains(const std::string& fragment) const
{
    auto all = lines();
    return std::any_of(all.begin(), all.end(), [&](const std::string& l) { return l.find(fragment) != std::string::npos; });
}

ManualMainClock::ManualMainClock()
    : m_clock(std::make_shared<ManualClock>())
{
    RunLoop::main().reset();
    RunLoop::main().setClock(m_clock);
}

ManualMainClock::~ManualMainClock()
{
    RunLoop::main().reset();
    RunLoop::main().setClock(SystemClock::shared());
}

void ManualMainClock::advance(TimeInterval seconds, TimeInterval step)
{
    RunLoop::main().runOnce();
    while (seconds > 1e-9) {
        const TimeInterval delta = std::min(step, seconds);
        m_clock->advance(delta);
        seconds -= delta;
        RunLoop::main().runOnce();
    }
    RunLoop::main().runOnce();
}
