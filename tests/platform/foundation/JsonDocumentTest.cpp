#include "platform/foundation/JsonDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace {
// A table of count values in all: itself and count - 1 numbers under keys of their own.
std::string tableOfValues(std::size_t count)
{
    std::string text = "{";
    for (std::size_t key = 1; key < count; ++key)
        text += (key > 1 ? ",\"" : "\"") + std::to_string(key) + "\":0";
    return text + "}";
}
} // namespace

// Nothing but whitespace may follow the value: the parser would take a NUL for the end of its
// input and read only what stands before it.
TEST(JsonDocument, AnythingButWhitespaceAfterTheValueIsNoJson)
{
    using namespace std::string_literals;
    for (const auto& bytes : {"{\"k\":\"v\"}\0{\"other\":\"data\"}"s, "{\"k\":\"v\"}\0"s, "{\"k\":\"v\"} x"s,
                              "{\"k\":\"v\"}{}"s, "{\"k\":\"v\0\"}"s}) {
        std::string why;
        EXPECT_FALSE(JsonDocument::parse(bytes, &why)) << bytes;
        EXPECT_EQ(why, "it is not JSON") << bytes;
    }
    EXPECT_EQ(JsonDocument::parse("{\"k\":\"v\"} \r\n\t"), nlohmann::json({{"k", "v"}}));
    EXPECT_TRUE(JsonDocument::look(" {}").table);
    EXPECT_FALSE(JsonDocument::look("[{}]").table);
}

// A file is counted as the table built from it is: the most values it may hold are read, one more
// is refused however few bytes each takes, and what valuesOf() counts of a value is what a file of
// it holds, so whatever a writer lets through is read back.
TEST(JsonDocument, AFileHoldsAtMostItsValuesAndWhatIsCountedIsWhatIsRead)
{
    const auto most = tableOfValues(JsonDocument::MostValues);
    const auto parsed = JsonDocument::parse(most);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->size(), JsonDocument::MostValues - 1);
    EXPECT_EQ(JsonDocument::valuesOf(*parsed), JsonDocument::MostValues);
    EXPECT_EQ(JsonDocument::text(*parsed), nlohmann::json::parse(most).dump());

    std::string why;
    EXPECT_FALSE(JsonDocument::parse(tableOfValues(JsonDocument::MostValues + 1), &why));
    EXPECT_EQ(why, "it holds more than 16384 values");
    std::string emptyTables = "[{}";
    for (std::size_t value = 2; value < JsonDocument::MostValues; ++value)
        emptyTables += ",{}";
    EXPECT_TRUE(JsonDocument::parse(emptyTables + "]"));
    EXPECT_EQ(JsonDocument::look(emptyTables + ",[]]").refusal, why);

    const nlohmann::json mixed = {{"a", {1, {{"b", nullptr}}, "c"}}, {"d", nlohmann::json::object()}};
    EXPECT_EQ(JsonDocument::valuesOf(mixed), 7u);
    EXPECT_EQ(JsonDocument::valuesOf(nlohmann::json::parse(emptyTables + ",[],[]]")), JsonDocument::MostValues + 1);
}
