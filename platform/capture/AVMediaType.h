#pragma once

#include <string>

using AVMediaType = std::string;
inline const AVMediaType AVMediaTypeVideo = "vide";
