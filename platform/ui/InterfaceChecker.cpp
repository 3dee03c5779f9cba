#include "platform/ui/InterfaceChecker.h"

#include "platform/ui/InterfaceRegistry.h"

#include <map>

namespace {
void collectClasses(const ViewDescription& view, std::map<std::string, std::string>& classOf)
{
    if (!view.id.empty())
        classOf[view.id] = view.className;
    for (const auto& sub : view.subviews)
        collectClasses(sub, classOf);
}
} // namespace

InterfaceChecker::InterfaceChecker(std::set<std::string> providedElsewhere)
    : m_providedElsewhere(std::move(providedElsewhere))
{
    registerPlatformInterfaceClasses();
}

InterfaceChecker::Known InterfaceChecker::viewClass(const std::string& name) const
{
    const auto* info = InterfaceRegistry::shared().find(name);
    if (info)
        return info->kind == InterfaceRegistry::Kind::View ? Known::Yes : Known::No;
    return m_providedElsewhere.count(name) ? Known::Trusted : Known::No;
}

std::vector<std::string> InterfaceChecker::checkViews(const std::vector<const ViewDescription*>& roots,
                                                      const std::string& ownerClass, const std::string& where) const
{
    std::map<std::string, std::string> classOf;
    for (const auto* root : roots)
        collectClasses(*root, classOf);
    classOf["owner"] = ownerClass;
    std::vector<std::string> problems;
    for (const auto* root : roots)
        checkView(*root, classOf, where, problems);
    return problems;
}

void InterfaceChecker::checkView(const ViewDescription& view, const std::map<std::string, std::string>& classOf,
                                 const std::string& where, std::vector<std::string>& problems) const
{
    const auto& registry = InterfaceRegistry::shared();
    const std::string here = where + " " + view.className + (view.id.empty() ? "" : " '" + view.id + "'");
    const Known known = viewClass(view.className);
    if (known == Known::No)
        problems.push_back(here + ": unknown view class '" + view.className + "'");
    if (known == Known::Yes) {
        for (const auto& [name, value] : view.properties.items()) {
            if (!registry.property(view.className, name))
                problems.push_back(here + ": " + view.className + " has no property '" + name + "'");
        }
        for (const auto& [name, target] : view.connections) {
            if (!registry.connection(view.className, name))
                problems.push_back(here + ": " + view.className + " has no '" + name + "'");
        }
        if (!view.actions.empty() && !registry.isKindOf(view.className, "UIControl"))
            problems.push_back(here + ": actions need a control, and " + view.className + " is not one");
    }

    // Outlets and actions are checked on the class that holds them.
    const auto holderClass = [&](const std::string& holder, const std::string& what) -> std::optional<std::string> {
        const auto it = classOf.find(holder);
        const std::string cls = it == classOf.end() ? std::string() : it->second;
        if (cls.empty()) {
            problems.push_back(here + ": " + what + " goes to the owner, but the file names no owner class");
            return std::nullopt;
        }
        if (registry.isRegistered(cls))
            return cls;
        return std::nullopt; // an unknown class is reported where it is named
    };
    for (const auto& [outlet, holder] : view.outlets) {
        if (auto cls = holderClass(holder, "outlet '" + outlet + "'"); cls && !registry.outlet(*cls, outlet))
            problems.push_back(here + ": " + *cls + " has no outlet '" + outlet + "'");
    }
    for (const auto& action : view.actions) {
        if (auto cls = holderClass(action.target, "action '" + action.selector + "'");
            cls && !registry.action(*cls, action.selector))
            problems.push_back(here + ": " + *cls + " has no action '" + action.selector + "'");
    }
    for (const auto& sub : view.subviews)
        checkView(sub, classOf, where, problems);
}

std::vector<std::string> InterfaceChecker::checkStoryboard(const StoryboardDescription& storyboard) const
{
    const auto& registry = InterfaceRegistry::shared();
    std::vector<std::string> problems;
    for (const auto& scene : storyboard.scenes) {
        const std::string where = storyboard.name + " scene '" + scene.id + "'";
        const auto* info = registry.find(scene.className);
        if (info && info->kind != InterfaceRegistry::Kind::Controller)
            problems.push_back(where + ": " + scene.className + " is not a view controller class");
        else if (!info && !m_providedElsewhere.count(scene.className))
            problems.push_back(where + ": unknown view controller class '" + scene.className + "'");
        if (scene.view) {
            auto more = checkViews({&*scene.view}, scene.className, where);
            problems.insert(problems.end(), more.begin(), more.end());
        }
    }
    return problems;
}

std::vector<std::string> InterfaceChecker::checkNib(const NibDescription& nib) const
{
    std::vector<const ViewDescription*> roots;
    for (const auto& view : nib.views)
        roots.push_back(&view);
    auto problems = checkViews(roots, nib.ownerClass, nib.name);
    const auto& registry = InterfaceRegistry::shared();
    if (!nib.ownerClass.empty() && !registry.isRegistered(nib.ownerClass) && !m_providedElsewhere.count(nib.ownerClass))
        problems.push_back(nib.name + ": unknown owner class '" + nib.ownerClass + "'");
    return problems;
}
