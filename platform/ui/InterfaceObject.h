#pragma once

#include <memory>
#include <variant>

class UIView;
class UIViewController;

// An object an interface file connects to: a controller, a view, or nothing (a nib loaded
// without an owner).
using InterfaceObject = std::variant<std::monostate, std::shared_ptr<UIViewController>, std::shared_ptr<UIView>>;

// The object as T, or null when it is not one.
template <class T>
std::shared_ptr<T> interfaceObjectAs(const InterfaceObject& object)
{
    if (const auto* controller = std::get_if<std::shared_ptr<UIViewController>>(&object))
        return std::dynamic_pointer_cast<T>(*controller);
    if (const auto* view = std::get_if<std::shared_ptr<UIView>>(&object))
        return std::dynamic_pointer_cast<T>(*view);
    return nullptr;
}
