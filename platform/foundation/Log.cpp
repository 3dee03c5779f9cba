#include "platform/foundation/Log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {
std::mutex& sinkMutex()
{
    static std::mutex mutex;
    return mutex;
}
Log::Sink& sink()
{
    static Log::Sink s;
    return s;
}
} // namespace

void Log::write(std::string_view line)
{
    std::lock_guard lock(sinkMutex());
    if (sink()) {
        sink()(line);
        return;
    }
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
}

void Log::setSink(Sink s)
{
    std::lock_guard lock(sinkMutex());
    sink() = std::move(s);
}

void Log::resetSink()
{
    setSink(nullptr);
}

void NSLog(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::vector<char> buffer(length > 0 ? static_cast<std::size_t>(length) + 1 : 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    Log::write(std::string_view(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0));
}
