#include "platform/foundation/JsonDocument.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/HeapPeak.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {
// The costliest settings files of each shape within the bounds (with room for one more setting),
// and one over them; the first key of each is "x".
std::string fileOf(const std::string& shape)
{
    const auto repeated = [](const auto& entry, std::size_t count) {
        std::string text = "{";
        for (std::size_t index = 0; index < count; ++index)
            text += (index > 0 ? ",\"" : "\"") + entry(index == 0 ? "x" : std::to_string(index));
        return text + "}";
    };
    constexpr std::size_t Entries = JsonDocument::MostValues - 2;
    if (shape == "keys of empty tables")
        return repeated([](const std::string& key) { return key + "\":{}"; }, Entries);
    if (shape == "texts")
        return repeated([](const std::string& key) { return key + "\":\"" + std::string(16, 't') + '"'; }, Entries);
    if (shape == "long keys")
        return repeated([](const std::string& key) { return key + std::string(key == "x" ? 0 : 1000, 'k') + "\":0"; },
                        (UserDefaults::MostFileBytes - 8192) / 1010);
    if (shape == "one long text")
        return "{\"x\":\"" + std::string(UserDefaults::MostFileBytes - 100, 't') + "\"}";
    const std::size_t tables = shape == "a list of empty tables" ? Entries - 1 : UserDefaults::MostFileBytes / 3 - 10;
    std::string list = "{\"x\":[{}";
    for (std::size_t table = 1; table < tables; ++table)
        list += ",{}";
    return list + "]}";
}
} // namespace

// What a settings file costs a run follows from the bounds on its bytes and values, whatever its
// shape: the costliest files hold no more than 6 MiB at once while they are read or a setting is
// stored onto them; storing holds no more than reading did and twice the file's bytes (read again,
// and written), since the table read at the start goes before the file's is built again, never
// beside it; and a file of more values than it may hold costs little more than its bytes.
// Measured in a child, so that no other thread's work counts.
TEST(UserDefaults, AFileCostsNoMoreThanItsBoundsAllowWhateverItsShape)
{
    if (!HeapPeak::available())
        GTEST_SKIP() << "the heap's peak is heard of only under a sanitizer";
    constexpr std::size_t MostHeld = 6 << 20;
    for (const std::string shape : {"keys of empty tables", "a list of empty tables", "texts", "one long text",
                                    "long keys", "a megabyte of empty tables"}) {
        SCOPED_TRACE(shape);
        ScopedDataFolder data;
        const auto file = data.path() / "defaults.json";
        const auto bytes = fileOf(shape);
        ASSERT_LE(bytes.size(), UserDefaults::MostFileBytes);
        ASSERT_TRUE(writeFileAtomically(file, bytes));
        const int status = ChildProcess::run([] { return true; }, [&] {
            HeapPeak::start();
            const bool read = UserDefaults(file).objectForKey("x").has_value();
            const auto reading = HeapPeak::stop();
            HeapPeak::start();
            const bool stored = UserDefaults(file).setObject("Server_Port", "39201");
            const auto storing = HeapPeak::stop();
            return writeFileAtomically(data.path() / "held", std::to_string(reading) + " " + std::to_string(storing))
                ? (read ? 1 : 0) + (stored ? 2 : 0) : 255;
        });
        const bool overBounds = shape == "a megabyte of empty tables";
        EXPECT_EQ(status, overBounds ? 2 : 3) << ChildProcess::meaning(status, "the file was not read and stored");
        std::size_t reading = 0, storing = 0;
        ASSERT_EQ(std::sscanf(readFile(data.path() / "held").value_or("").c_str(), "%zu %zu", &reading, &storing), 2);
        EXPECT_LE(reading, overBounds ? bytes.size() + (256 << 10) : MostHeld) << reading;
        EXPECT_LE(storing, std::min(reading + 2 * bytes.size() + (64 << 10), MostHeld))
            << storing << " storing, " << reading << " reading";
    }
}
