#pragma once

#include <string>
#include <typeinfo>

// The readable name of a dynamic type, for log lines ("LoginViewController", not a mangled name).
std::string typeName(const std::type_info& type);

template <class T>
std::string typeNameOf(const T& object)
{
    return typeName(typeid(object));
}
