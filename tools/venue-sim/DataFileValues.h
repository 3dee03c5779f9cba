#pragma once

#include <nlohmann/json.hpp>

#include <string>

// Reading the venue data file: values may be written as text or as numbers, and both come out
// as the text the replies carry. Malformed values throw std::runtime_error naming the key.
std::string dataText(const nlohmann::json& object, const char* key, std::string fallback = {});
double dataAmount(const nlohmann::json& object, const char* key, double fallback = 0);
int dataCount(const nlohmann::json& object, const char* key, int fallback = 0);
bool dataFlag(const nlohmann::json& object, const char* key, bool fallback = false);
// A list the file must have.
const nlohmann::json& dataList(const nlohmann::json& root, const char* key);
// A list the file may leave out: the empty list then.
const nlohmann::json& optionalDataList(const nlohmann::json& root, const char* key);
