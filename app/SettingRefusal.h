#pragma once

#include "app/SettingsBundle.h"

#include <optional>
#include <string>

// Why the command line may not store value under key, or nothing when it may. A setting once
// stored stays for every later run, so anything that would only fail at its first use (a key no
// code reads, a port no socket can use, a value a script left empty, bytes that are not UTF-8) is
// turned down before then.
std::optional<std::string> settingRefusal(const SettingsBundle& bundle, const std::string& key,
                                          const std::string& value);
