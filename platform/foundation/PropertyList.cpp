#include "platform/foundation/PropertyList.h"

#include "platform/foundation/Paths.h"

#include <cstdlib>
#include <limits>
#include <plist/plist.h>

namespace {

nlohmann::json toJson(plist_t node, int depth);

// Counts beyond the signed range stay unsigned rather than wrapping negative.
nlohmann::json unsignedJson(plist_t node)
{
    uint64_t value = 0;
    plist_get_uint_val(node, &value);
    if (value <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
        return static_cast<int64_t>(value);
    return value;
}

nlohmann::json stringJson(plist_t node)
{
    char* value = nullptr;
    plist_get_string_val(node, &value);
    nlohmann::json text = value ? value : "";
    std::free(value);
    return text;
}

nlohmann::json dataJson(plist_t node)
{
    char* value = nullptr;
    uint64_t length = 0;
    plist_get_data_val(node, &value, &length);
    nlohmann::json text = std::string(value ? value : "", value ? length : 0);
    std::free(value);
    return text;
}

nlohmann::json arrayJson(plist_t node, int depth)
{
    nlohmann::json array = nlohmann::json::array();
    const uint32_t size = plist_array_get_size(node);
    for (uint32_t i = 0; i < size; ++i)
        array.push_back(toJson(plist_array_get_item(node, i), depth + 1));
    return array;
}

nlohmann::json dictionaryJson(plist_t node, int depth)
{
    nlohmann::json object = nlohmann::json::object();
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(node, &iter);
    if (!iter)
        return object;
    while (true) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, iter, &key, &value);
        if (!key)
            break;
        object[key] = toJson(value, depth + 1);
        std::free(key);
    }
    std::free(iter);
    return object;
}

nlohmann::json toJson(plist_t node, int depth)
{
    if (!node || depth > 64)
        return nullptr;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return value != 0;
    }
    case PLIST_UINT:
        return unsignedJson(node);
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return value;
    }
    case PLIST_STRING:
    case PLIST_KEY:
        return stringJson(node);
    case PLIST_DATA:
        return dataJson(node);
    case PLIST_ARRAY:
        return arrayJson(node, depth);
    case PLIST_DICT:
        return dictionaryJson(node, depth);
    default:
        return nullptr;
    }
}

} // namespace

std::optional<nlohmann::json> readPropertyList(const std::filesystem::path& path)
{
    auto bytes = readFile(path);
    if (!bytes || bytes->empty() || bytes->size() > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes->data(), static_cast<uint32_t>(bytes->size()), &root);
    if (!root)
        return std::nullopt;
    nlohmann::json value = toJson(root, 0);
    plist_free(root);
    return value;
}
