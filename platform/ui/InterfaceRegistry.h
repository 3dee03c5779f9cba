#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/ui/InterfaceObject.h"

#include <nlohmann/json_fwd.hpp>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <type_traits>

class UIControl;
class UIView;
class UIViewController;

// The classes that interface files may name, by name: how to make one, and the outlets,
// actions, properties and connections (delegate, data source) a file may set on it. A class
// inherits what its superclass offers.
//
// Every layer registers its classes with an explicit call at start-up (the platform's own with
// registerPlatformInterfaceClasses(), which the loader makes itself); static registration
// objects would be dropped by the linker from a static library.
class InterfaceRegistry {
public:
    enum class Kind { View, Controller };

    using ViewFactory = std::function<std::shared_ptr<UIView>(const CGRect& frame)>;
    using ControllerFactory = std::function<std::shared_ptr<UIViewController>()>;
    // Each answers false when the holder or value is not of the kind the setter takes.
    using OutletSetter = std::function<bool(const InterfaceObject& holder, const std::shared_ptr<UIView>& value)>;
    using ActionCall = std::function<bool(const InterfaceObject& target, UIControl& sender)>;
    using PropertySetter = std::function<bool(UIView& view, const nlohmann::json& value)>;
    using ConnectionSetter = std::function<bool(UIView& view, const InterfaceObject& target)>;

    struct ClassInfo {
        std::string name;
        std::string superclass;
        Kind kind = Kind::View;
        ViewFactory makeView;
        ControllerFactory makeController;
        std::map<std::string, OutletSetter> outlets;
        std::map<std::string, ActionCall> actions;
        std::map<std::string, PropertySetter> properties;
        std::map<std::string, ConnectionSetter> connections;
    };

    // Adds outlets and actions to a class being registered, in the class's own terms.
    template <class T>
    class Builder {
    public:
        explicit Builder(ClassInfo& info) : m_info(info) {}

        // A setter member taking the outlet's own view type: the file's view must be one.
        template <class V>
        Builder& outlet(const std::string& name, void (T::*setter)(std::shared_ptr<V>))
        {
            m_info.outlets[name] = [setter](const InterfaceObject& holder, const std::shared_ptr<UIView>& value) {
                auto object = interfaceObjectAs<T>(holder);
                auto typed = std::dynamic_pointer_cast<V>(value);
                if (!object || (value && !typed))
                    return false;
                ((*object).*setter)(std::move(typed));
                return true;
            };
            return *this;
        }
        Builder& outlet(const std::string& name, std::function<void(T&, const std::shared_ptr<UIView>&)> setter)
        {
            m_info.outlets[name] = [setter = std::move(setter)](const InterfaceObject& holder,
                                                                const std::shared_ptr<UIView>& value) {
                auto object = interfaceObjectAs<T>(holder);
                if (!object)
                    return false;
                setter(*object, value);
                return true;
            };
            return *this;
        }
        // Selector names as the file writes them ("btnLoginAction:").
        Builder& action(const std::string& selector, void (T::*method)(UIControl&))
        {
            return action(selector, [method](T& object, UIControl& sender) { (object.*method)(sender); });
        }
        Builder& action(const std::string& selector, std::function<void(T&, UIControl&)> call)
        {
            m_info.actions[selector] = [call = std::move(call)](const InterfaceObject& target, UIControl& sender) {
                auto object = interfaceObjectAs<T>(target);
                if (!object)
                    return false;
                call(*object, sender);
                return true;
            };
            return *this;
        }
        Builder& property(const std::string& name, PropertySetter setter)
        {
            m_info.properties[name] = std::move(setter);
            return *this;
        }
        // A setter member taking a weak link to protocol P: the file's target must adopt it.
        template <class P>
        Builder& connection(const std::string& name, void (T::*setter)(std::weak_ptr<P>))
        {
            m_info.connections[name] = [setter](UIView& view, const InterfaceObject& target) {
                auto* object = dynamic_cast<T*>(&view);
                auto linked = interfaceObjectAs<P>(target);
                if (!object || !linked)
                    return false;
                (object->*setter)(std::move(linked));
                return true;
            };
            return *this;
        }

    private:
        ClassInfo& m_info;
    };

    static InterfaceRegistry& shared();

    // A view class made with a frame. Registering a name again replaces its entry.
    template <class T>
    Builder<T> registerViewClass(const std::string& name, const std::string& superclass)
    {
        static_assert(std::is_base_of_v<UIView, T>);
        ClassInfo& info = add(name, superclass, Kind::View);
        info.makeView = [](const CGRect& frame) -> std::shared_ptr<UIView> { return std::make_shared<T>(frame); };
        return Builder<T>(info);
    }
    template <class T>
    Builder<T> registerControllerClass(const std::string& name, const std::string& superclass)
    {
        static_assert(std::is_base_of_v<UIViewController, T>);
        ClassInfo& info = add(name, superclass, Kind::Controller);
        info.makeController = []() -> std::shared_ptr<UIViewController> { return std::make_shared<T>(); };
        return Builder<T>(info);
    }
    // A class with its own way of being made (a view without a frame constructor, say).
    template <class T>
    Builder<T> registerViewClass(const std::string& name, const std::string& superclass, ViewFactory factory)
    {
        ClassInfo& info = add(name, superclass, Kind::View);
        info.makeView = std::move(factory);
        return Builder<T>(info);
    }
    template <class T>
    Builder<T> registerControllerClass(const std::string& name, const std::string& superclass, ControllerFactory factory)
    {
        ClassInfo& info = add(name, superclass, Kind::Controller);
        info.makeController = std::move(factory);
        return Builder<T>(info);
    }
    // Further outlets or actions for a class already registered (null when it is not).
    template <class T>
    std::unique_ptr<Builder<T>> extend(const std::string& name)
    {
        auto it = m_classes.find(name);
        return it == m_classes.end() ? nullptr : std::make_unique<Builder<T>>(it->second);
    }

    const ClassInfo* find(const std::string& name) const;
    bool isRegistered(const std::string& name) const { return find(name) != nullptr; }
    // Whether the class is the named one or descends from it.
    bool isKindOf(const std::string& name, const std::string& ancestor) const;

    // Looked up along the superclass chain; null when no class of the chain has it.
    const OutletSetter* outlet(const std::string& className, const std::string& name) const;
    const ActionCall* action(const std::string& className, const std::string& selector) const;
    const PropertySetter* property(const std::string& className, const std::string& name) const;
    const ConnectionSetter* connection(const std::string& className, const std::string& name) const;

    // Null, with a log line, for a name that is not registered or not of that kind.
    std::shared_ptr<UIView> makeView(const std::string& className, const CGRect& frame) const;
    std::shared_ptr<UIViewController> makeController(const std::string& className) const;

    // Forgets every class, for tests; the platform's come back on the next load.
    void reset();

private:
    InterfaceRegistry() = default;
    ClassInfo& add(const std::string& name, const std::string& superclass, Kind kind);
    template <class Member>
    const typename Member::mapped_type* lookup(const std::string& className, const std::string& key,
                                               Member ClassInfo::*member) const;

    std::map<std::string, ClassInfo> m_classes;
};

// Registers the platform's own view and controller classes, once; later calls do nothing.
void registerPlatformInterfaceClasses();
