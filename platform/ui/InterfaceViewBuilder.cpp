#include "platform/ui/InterfaceViewBuilder.h"

#include "platform/foundation/Log.h"
#include "platform/ui/InterfaceChecker.h"
#include "platform/ui/InterfaceRegistry.h"
#include "platform/ui/UIControl.h"
#include "platform/ui/UIViewController.h"

#include <map>

namespace {

struct Built {
    const ViewDescription* contents;
    std::shared_ptr<UIView> view;
};

class WeakObject {
public:
    explicit WeakObject(const InterfaceObject& object)
    {
        if (const auto* c = std::get_if<std::shared_ptr<UIViewController>>(&object))
            m_controller = *c;
        else if (const auto* v = std::get_if<std::shared_ptr<UIView>>(&object))
            m_view = *v;
    }
    InterfaceObject lock() const
    {
        if (auto c = m_controller.lock())
            return c;
        if (auto v = m_view.lock())
            return v;
        return std::monostate {};
    }

private:
    std::weak_ptr<UIViewController> m_controller;
    std::weak_ptr<UIView> m_view;
};

const void* identity(const InterfaceObject& object)
{
    if (const auto* c = std::get_if<std::shared_ptr<UIViewController>>(&object))
        return c->get();
    if (const auto* v = std::get_if<std::shared_ptr<UIView>>(&object))
        return v->get();
    return nullptr;
}

std::shared_ptr<UIView> make(const ViewDescription& contents, const std::string& fileName, std::vector<Built>& built)
{
    const auto& registry = InterfaceRegistry::shared();
    auto view = registry.makeView(contents.className, contents.frame);
    if (!view)
        return nullptr;
    view->setFrame(contents.frame);
    view->setTag(contents.tag);
    for (const auto& [name, value] : contents.properties.items()) {
        const auto* setter = registry.property(contents.className, name);
        if (setter && !(*setter)(*view, value))
            NSLog("Interface file %s: %s cannot take %s as its '%s'", fileName.c_str(), contents.className.c_str(),
                  value.dump().c_str(), name.c_str());
    }
    built.push_back({&contents, view});
    for (const auto& sub : contents.subviews) {
        auto child = make(sub, fileName, built);
        if (!child)
            return nullptr;
        view->addSubview(child);
    }
    return view;
}

using NamedObjects = std::map<std::string, std::pair<InterfaceObject, std::string>>;

// Holders and targets, with their classes, by the names the file uses for them.
NamedObjects namedObjects(const std::vector<Built>& built, const InterfaceObject& owner, const std::string& ownerClass)
{
    NamedObjects objects;
    objects["owner"] = {owner, ownerClass};
    for (const auto& b : built) {
        if (!b.contents->id.empty())
            objects[b.contents->id] = {InterfaceObject(b.view), b.contents->className};
    }
    return objects;
}

void setOutlets(const Built& b, NamedObjects& objects, const std::string& fileName)
{
    for (const auto& [outlet, holder] : b.contents->outlets) {
        const auto& [object, cls] = objects[holder];
        if (std::holds_alternative<std::monostate>(object))
            continue; // loaded without an owner: its outlets stay unset
        const auto* setter = InterfaceRegistry::shared().outlet(cls, outlet);
        if (setter && !(*setter)(object, b.view))
            NSLog("Interface file %s: outlet '%s' of %s cannot hold a %s", fileName.c_str(), outlet.c_str(),
                  cls.c_str(), b.contents->className.c_str());
    }
}

void setConnections(const Built& b, NamedObjects& objects, const std::string& fileName)
{
    for (const auto& [name, target] : b.contents->connections) {
        const auto& object = objects[target].first;
        if (std::holds_alternative<std::monostate>(object))
            continue;
        const auto* setter = InterfaceRegistry::shared().connection(b.contents->className, name);
        if (setter && !(*setter)(*b.view, object))
            NSLog("Interface file %s: %s '%s' of %s does not adopt its protocol", fileName.c_str(), name.c_str(),
                  target.c_str(), b.contents->className.c_str());
    }
}

void addActions(const Built& b, NamedObjects& objects)
{
    auto control = std::dynamic_pointer_cast<UIControl>(b.view);
    for (const auto& action : b.contents->actions) {
        const auto& [object, cls] = objects[action.target];
        const auto* call = InterfaceRegistry::shared().action(cls, action.selector);
        if (!control || !call || std::holds_alternative<std::monostate>(object))
            continue;
        control->addTarget(
            identity(object),
            [target = WeakObject(object), call = *call, selector = action.selector](UIControl& sender) {
                const auto live = target.lock();
                if (!std::holds_alternative<std::monostate>(live) && !call(live, sender))
                    NSLog("Interface: the target of '%s' cannot take it", selector.c_str());
            },
            action.events);
    }
}

} // namespace

std::vector<std::shared_ptr<UIView>> InterfaceViewBuilder::build(const std::vector<const ViewDescription*>& roots,
                                                                 const std::string& ownerClass,
                                                                 const InterfaceObject& owner, const std::string& fileName)
{
    const auto problems = InterfaceChecker().checkViews(roots, ownerClass, fileName);
    if (!problems.empty()) {
        for (const auto& problem : problems)
            NSLog("Interface file %s", problem.c_str());
        return {};
    }

    std::vector<Built> built;
    std::vector<std::shared_ptr<UIView>> top;
    for (const auto* root : roots) {
        auto view = make(*root, fileName, built);
        if (!view)
            return {};
        top.push_back(std::move(view));
    }

    auto objects = namedObjects(built, owner, ownerClass);
    for (const auto& b : built) {
        setOutlets(b, objects, fileName);
        setConnections(b, objects, fileName);
        addActions(b, objects);
    }
    return top;
}
