#include "platform/ui/InterfaceRegistry.h"

#include "platform/foundation/Log.h"

#include <nlohmann/json.hpp>

InterfaceRegistry& InterfaceRegistry::shared()
{
    static auto* registry = new InterfaceRegistry();
    return *registry;
}

InterfaceRegistry::ClassInfo& InterfaceRegistry::add(const std::string& name, const std::string& superclass, Kind kind)
{
    ClassInfo& info = m_classes[name];
    info = ClassInfo {};
    info.name = name;
    info.superclass = superclass;
    info.kind = kind;
    return info;
}

const InterfaceRegistry::ClassInfo* InterfaceRegistry::find(const std::string& name) const
{
    auto it = m_classes.find(name);
    return it == m_classes.end() ? nullptr : &it->second;
}

bool InterfaceRegistry::isKindOf(const std::string& name, const std::string& ancestor) const
{
    // The chain is bounded by the number of classes, so a superclass loop cannot hang us.
    std::size_t steps = 0;
    for (const ClassInfo* info = find(name); info && steps <= m_classes.size(); info = find(info->superclass), ++steps) {
        if (info->name == ancestor)
            return true;
    }
    return false;
}

template <class Member>
const typename Member::mapped_type* InterfaceRegistry::lookup(const std::string& className, const std::string& key,
                                                              Member ClassInfo::*member) const
{
    std::size_t steps = 0;
    for (const ClassInfo* info = find(className); info && steps <= m_classes.size();
         info = find(info->superclass), ++steps) {
        const auto& table = info->*member;
        if (auto it = table.find(key); it != table.end())
            return &it->second;
    }
    return nullptr;
}

const InterfaceRegistry::OutletSetter* InterfaceRegistry::outlet(const std::string& className, const std::string& name) const
{
    return lookup(className, name, &ClassInfo::outlets);
}

const InterfaceRegistry::ActionCall* InterfaceRegistry::action(const std::string& className,
                                                               const std::string& selector) const
{
    return lookup(className, selector, &ClassInfo::actions);
}

const InterfaceRegistry::PropertySetter* InterfaceRegistry::property(const std::string& className,
                                                                     const std::string& name) const
{
    return lookup(className, name, &ClassInfo::properties);
}

const InterfaceRegistry::ConnectionSetter* InterfaceRegistry::connection(const std::string& className,
                                                                         const std::string& name) const
{
    return lookup(className, name, &ClassInfo::connections);
}

std::shared_ptr<UIView> InterfaceRegistry::makeView(const std::string& className, const CGRect& frame) const
{
    const ClassInfo* info = find(className);
    if (!info || info->kind != Kind::View || !info->makeView) {
        NSLog("Interface: unknown view class '%s'", className.c_str());
        return nullptr;
    }
    return info->makeView(frame);
}

std::shared_ptr<UIViewController> InterfaceRegistry::makeController(const std::string& className) const
{
    const ClassInfo* info = find(className);
    if (!info || info->kind != Kind::Controller || !info->makeController) {
        NSLog("Interface: unknown view controller class '%s'", className.c_str());
        return nullptr;
    }
    return info->makeController();
}

void InterfaceRegistry::reset()
{
    m_classes.clear();
}
