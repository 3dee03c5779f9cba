#include "platform/foundation/JsonDocument.h"

#include <utility>
#include <vector>

namespace {

// Follows the nesting as the parser meets it, and stops the parse once it is too deep: the
// parser itself keeps no more than a flag a level, but the value it would build could only be
// written out again by recursing once a level.
class NestingCheck : public nlohmann::json_sax<nlohmann::json> {
public:
    bool tooDeep = false;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return enter(); }
    bool key(string_t&) override { return true; }
    bool end_object() override { return leave(); }
    bool start_array(std::size_t) override { return enter(); }
    bool end_array() override { return leave(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
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
};

} // namespace

namespace JsonDocument {

std::optional<nlohmann::json> parse(std::string_view bytes, std::string* why)
{
    NestingCheck check;
    const bool wellFormed = nlohmann::json::sax_parse(bytes, &check);
    if (wellFormed) {
        auto value = nlohmann::json::parse(bytes, nullptr, false);
        if (!value.is_discarded())
            return value;
    }
    if (why)
        *why = check.tooDeep ? "it is nested deeper than " + std::to_string(MostLevels) + " levels" : "it is not JSON";
    return std::nullopt;
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

std::string text(const nlohmann::json& value, int indent)
{
    return value.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace JsonDocument
