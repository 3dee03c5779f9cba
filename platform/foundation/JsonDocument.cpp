#include "platform/foundation/JsonDocument.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Follows the nesting and counts the values as the parser meets them, and stops the parse once it
// is too deep or holds too many: the parser itself keeps no more than a flag a level, while the
// value it would build costs a table's worth for every `{}`, and could only be written out again
// by recursing once a level.
class ShapeCheck : public nlohmann::json_sax<nlohmann::json> {
public:
    bool tooDeep = false;
    bool tooMany = false;
    bool table = false;

    bool null() override { return value(); }
    bool boolean(bool) override { return value(); }
    bool number_integer(number_integer_t) override { return value(); }
    bool number_unsigned(number_unsigned_t) override { return value(); }
    bool number_float(number_float_t, const string_t&) override { return value(); }
    bool string(string_t&) override { return value(); }
    bool binary(binary_t&) override { return value(); }
    bool start_object(std::size_t) override
    {
        table = table || m_values == 0;
        return value() && enter();
    }
    bool key(string_t&) override { return true; }
    bool end_object() override { return leave(); }
    bool start_array(std::size_t) override { return value() && enter(); }
    bool end_array() override { return leave(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    bool value()
    {
        tooMany = ++m_values > JsonDocument::MostValues;
        return !tooMany;
    }
    bool enter()
    {
        tooDeep = ++m_levels > JsonDocument::MostLevels;
        return !tooDeep;
    }
    bool leave()
    {
        --m_levels;
        return true;
    }

    std::size_t m_levels = 0;
    std::size_t m_values = 0;
};

} // namespace

namespace JsonDocument {

Look look(std::string_view bytes)
{
    // The parser takes a NUL for the end of its input, so one after a value would hide whatever
    // follows it; inside a value a NUL is no JSON either.
    if (bytes.find('\0') != std::string_view::npos)
        return {"it is not JSON"};
    ShapeCheck check;
    if (nlohmann::json::sax_parse(bytes, &check))
        return {std::nullopt, check.table};
    if (check.tooDeep)
        return {"it is nested deeper than " + std::to_string(MostLevels) + " levels"};
    if (check.tooMany)
        return {"it holds more than " + std::to_string(MostValues) + " values"};
    return {"it is not JSON"};
}

nlohmann::json build(std::string_view bytes)
{
    return nlohmann::json::parse(bytes, nullptr, false);
}

std::optional<nlohmann::json> parse(std::string_view bytes, std::string* why)
{
    auto found = look(bytes);
    if (found.refusal) {
        if (why)
            *why = std::move(*found.refusal);
        return std::nullopt;
    }
    return build(bytes);
}

std::size_t levelsOf(const nlohmann::json& value)
{
    std::size_t deepest = 0;
    std::vector<std::pair<const nlohmann::json*, std::size_t>> waiting {{&value, 0}};
    while (!waiting.empty()) {
        const auto [next, above] = waiting.back();
        waiting.pop_back();
        if (!next->is_structured())
            continue;
        const std::size_t levels = above + 1;
        deepest = std::max(deepest, levels);
        if (levels > MostLevels)
            break;
        for (const auto& inner : *next)
            waiting.emplace_back(&inner, levels);
    }
    return deepest;
}

std::size_t valuesOf(const nlohmann::json& value)
{
    std::size_t values = 1;
    std::vector<const nlohmann::json*> waiting {&value};
    while (!waiting.empty() && values <= MostValues) {
        const auto* next = waiting.back();
        waiting.pop_back();
        if (!next->is_structured())
            continue;
        values += next->size();
        for (const auto& inner : *next) {
            if (inner.is_structured() && values <= MostValues)
                waiting.push_back(&inner);
        }
    }
    return std::min(values, MostValues + 1);
}

std::string text(const nlohmann::json& value, int indent)
{
    return value.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool writesExactly(const nlohmann::json& value)
{
    try {
        [[maybe_unused]] const auto written = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
        return true;
    } catch (const nlohmann::json::type_error&) {
        return false;
    }
}

} // namespace JsonDocument
