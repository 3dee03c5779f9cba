#pragma once

#include <string>

// A menu category. Top-level categories have Level "1"; a sub-category ("2") names its
// top-level category in ParentNo.
struct FoodTypeObject {
    std::string TypeNo;
    std::string TypeName;
    std::string Level;
    std::string ParentNo;
    std::string Choise; // "1" while a top-level category is shown expanded
};
