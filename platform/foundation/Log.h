#pragma once

#include <functional>
#include <string>
#include <string_view>

// Diagnostics as plain lines on standard error. Tests install a sink to read them.
namespace Log {
void write(std::string_view line);
using Sink = std::function<void(std::string_view)>;
void setSink(Sink sink);
void resetSink();
} // namespace Log

// printf-style: one line per call, without a level.
void NSLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
