#include "tools/venue-sim/DataFileValues.h"

#include <cmath>
#include <stdexcept>

using nlohmann::json;

std::string dataText(const json& object, const char* key, std::string fallback)
{
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return fallback;
    if (it->is_string())
        return it->get<std::string>();
    if (it->is_number_integer())
        return std::to_string(it->get<long long>());
    if (it->is_number())
        return it->dump();
    throw std::runtime_error(std::string("\"") + key + "\" is neither text nor a number");
}

double dataAmount(const json& object, const char* key, double fallback)
{
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return fallback;
    if (it->is_number())
        return it->get<double>();
    if (it->is_string())
        return std::stod(it->get<std::string>());
    throw std::runtime_error(std::string("\"") + key + "\" is not an amount");
}

int dataCount(const json& object, const char* key, int fallback)
{
    const double value = dataAmount(object, key, fallback);
    if (value != std::floor(value) || std::fabs(value) > 1e9)
        throw std::runtime_error(std::string("\"") + key + "\" is not a whole number");
    return static_cast<int>(value);
}

bool dataFlag(const json& object, const char* key, bool fallback)
{
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return fallback;
    if (it->is_boolean())
        return it->get<bool>();
    const std::string value = dataText(object, key);
    return value == "1";
}

const json& dataList(const json& root, const char* key)
{
    const auto it = root.find(key);
    if (it == root.end() || !it->is_array())
        throw std::runtime_error(std::string("\"") + key + "\" must be a list");
    return *it;
}

const json& optionalDataList(const json& root, const char* key)
{
    static const json empty = json::array();
    const auto it = root.find(key);
    if (it == root.end() || it->is_null())
        return empty;
    if (!it->is_array())
        throw std::runtime_error(std::string("\"") + key + "\" must be a list");
    return *it;
}
