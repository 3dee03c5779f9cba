#include "platform/ui/InterfaceFileReader.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/UIControl.h"

#include <cmath>
#include <map>
#include <set>

using nlohmann::json;

namespace {

std::map<std::string, std::shared_ptr<const StoryboardDescription>>& storyboardCache()
{
    static auto* cache = new std::map<std::string, std::shared_ptr<const StoryboardDescription>>();
    return *cache;
}

std::map<std::string, std::shared_ptr<const NibDescription>>& nibCache()
{
    static auto* cache = new std::map<std::string, std::shared_ptr<const NibDescription>>();
    return *cache;
}

const std::map<std::string, unsigned>& eventNames()
{
    static const std::map<std::string, unsigned> names {
        {"touchDown", UIControlEventTouchDown},
        {"touchDownRepeat", UIControlEventTouchDownRepeat},
        {"touchDragInside", UIControlEventTouchDragInside},
        {"touchDragOutside", UIControlEventTouchDragOutside},
        {"touchUpInside", UIControlEventTouchUpInside},
        {"touchUpOutside", UIControlEventTouchUpOutside},
        {"touchCancel", UIControlEventTouchCancel},
        {"valueChanged", UIControlEventValueChanged},
        {"editingDidBegin", UIControlEventEditingDidBegin},
        {"editingChanged", UIControlEventEditingChanged},
        {"editingDidEnd", UIControlEventEditingDidEnd},
        {"editingDidEndOnExit", UIControlEventEditingDidEndOnExit},
        {"allTouchEvents", UIControlEventAllTouchEvents},
        {"allEditingEvents", UIControlEventAllEditingEvents},
    };
    return names;
}

// Collects the first fault with the place it was found, so the log line can point at it.
class Reader {
public:
    explicit Reader(std::string file) : m_file(std::move(file)) {}

    bool fail(const std::string& where, const std::string& what)
    {
        if (m_error.empty())
            m_error = where.empty() ? what : where + ": " + what;
        return false;
    }
    void report() const { NSLog("Interface file %s is malformed: %s", m_file.c_str(), m_error.c_str()); }

    bool optionalString(const json& object, const char* key, std::string& out, const std::string& where)
    {
        auto it = object.find(key);
        if (it == object.end())
            return true;
        if (!it->is_string())
            return fail(where, std::string("'") + key + "' must be text");
        out = it->get<std::string>();
        return true;
    }

    bool requiredString(const json& object, const char* key, std::string& out, const std::string& where)
    {
        if (!object.contains(key))
            return fail(where, std::string("'") + key + "' is missing");
        if (!optionalString(object, key, out, where))
            return false;
        if (out.empty())
            return fail(where, std::string("'") + key + "' is empty");
        return true;
    }

    bool events(const json& value, unsigned& out, const std::string& where)
    {
        std::vector<json> names = value.is_array() ? value.get<std::vector<json>>() : std::vector<json> {value};
        if (names.empty())
            return fail(where, "'event' names no event");
        for (const auto& name : names) {
            auto it = name.is_string() ? eventNames().find(name.get<std::string>()) : eventNames().end();
            if (it == eventNames().end())
                return fail(where, "unknown control event " + name.dump());
            out |= it->second;
        }
        return true;
    }

    bool viewFrame(const json& node, ViewDescription& out, const std::string& where)
    {
        if (auto it = node.find("frame"); it != node.end()) {
            if (!it->is_array() || it->size() != 4)
                return fail(where, "'frame' must be four numbers");
            double v[4];
            for (std::size_t i = 0; i < 4; ++i) {
                if (!(*it)[i].is_number() || !std::isfinite((*it)[i].get<double>()))
                    return fail(where, "'frame' must be four finite numbers");
                v[i] = (*it)[i].get<double>();
            }
            if (v[2] < 0 || v[3] < 0)
                return fail(where, "'frame' has a negative size");
            out.frame = CGRectMake(v[0], v[1], v[2], v[3]);
        }
        return true;
    }

    bool viewTag(const json& node, ViewDescription& out, const std::string& where)
    {
        if (auto it = node.find("tag"); it != node.end()) {
            if (!it->is_number_integer())
                return fail(where, "'tag' must be an integer");
            const auto tag = it->get<std::int64_t>();
            if (tag < INT32_MIN || tag > INT32_MAX)
                return fail(where, "'tag' is out of range");
            out.tag = static_cast<int>(tag);
        }
        return true;
    }

    bool viewOutlets(const json& node, ViewDescription& out, const std::string& where)
    {
        if (auto it = node.find("outlets"); it != node.end()) {
            if (!it->is_object())
                return fail(where, "'outlets' must map outlet names to their holders");
            for (const auto& [name, holder] : it->items()) {
                if (name.empty() || !holder.is_string() || holder.get<std::string>().empty())
                    return fail(where, "outlet '" + name + "' must name its holder");
                out.outlets.emplace_back(name, holder.get<std::string>());
            }
        }
        for (const char* key : {"delegate", "dataSource"}) {
            std::string target;
            if (!optionalString(node, key, target, where))
                return false;
            if (node.contains(key)) {
                if (target.empty())
                    return fail(where, std::string("'") + key + "' names no object");
                out.connections.emplace_back(key, target);
            }
        }
        return true;
    }

    bool viewActions(const json& node, ViewDescription& out, const std::string& where)
    {
        if (auto it = node.find("actions"); it != node.end()) {
            if (!it->is_array())
                return fail(where, "'actions' must be a list");
            for (std::size_t i = 0; i < it->size(); ++i) {
                const json& a = (*it)[i];
                const std::string at = where + ".actions[" + std::to_string(i) + "]";
                if (!a.is_object() || !a.contains("event"))
                    return fail(at, "an action needs an 'event' and a 'selector'");
                ActionDescription action;
                action.target = "owner";
                if (!events(a["event"], action.events, at) || !requiredString(a, "selector", action.selector, at)
                    || !optionalString(a, "target", action.target, at))
                    return false;
                out.actions.push_back(std::move(action));
            }
        }
        return true;
    }

    bool view(const json& node, ViewDescription& out, const std::string& where, std::set<std::string>& ids)
    {
        if (!node.is_object())
            return fail(where, "a view must be an object");
        if (!requiredString(node, "class", out.className, where) || !optionalString(node, "id", out.id, where))
            return false;
        if (!out.id.empty() && (out.id == "owner" || !ids.insert(out.id).second))
            return fail(where, "the id '" + out.id + "' is used twice or reserved");
        if (!viewFrame(node, out, where) || !viewTag(node, out, where))
            return false;
        if (auto it = node.find("properties"); it != node.end()) {
            if (!it->is_object())
                return fail(where, "'properties' must be an object");
            out.properties = *it;
        }
        if (!viewOutlets(node, out, where) || !viewActions(node, out, where))
            return false;
        if (auto it = node.find("subviews"); it != node.end()) {
            if (!it->is_array())
                return fail(where, "'subviews' must be a list");
            for (std::size_t i = 0; i < it->size(); ++i) {
                out.subviews.emplace_back();
                if (!view((*it)[i], out.subviews.back(), where + ".subviews[" + std::to_string(i) + "]", ids))
                    return false;
            }
        }
        return true;
    }

    // Holders and targets named by id must be views of the same tree.
    bool references(const ViewDescription& v, const std::set<std::string>& ids, const std::string& where)
    {
        const auto known = [&](const std::string& name) { return name == "owner" || ids.count(name) > 0; };
        for (const auto& [outlet, holder] : v.outlets) {
            if (!known(holder))
                return fail(where, "outlet '" + outlet + "' is held by '" + holder + "', which is not in the file");
        }
        for (const auto& [name, target] : v.connections) {
            if (!known(target))
                return fail(where, "'" + name + "' names '" + target + "', which is not in the file");
        }
        for (const auto& action : v.actions) {
            if (!known(action.target))
                return fail(where, "action '" + action.selector + "' targets '" + action.target + "', which is not in the file");
        }
        for (const auto& sub : v.subviews) {
            if (!references(sub, ids, where))
                return false;
        }
        return true;
    }

    bool sceneNavigation(const json& s, SceneDescription& scene, const std::string& where)
    {
        auto nav = s.find("navigationController");
        if (nav == s.end())
            return true;
        if (!nav->is_object())
            return fail(where, "'navigationController' must be an object");
        auto hidden = nav->find("navigationBarHidden");
        if (hidden != nav->end() && !hidden->is_boolean())
            return fail(where, "'navigationBarHidden' must be true or false");
        scene.inNavigationController = true;
        scene.navigationBarHidden = hidden != nav->end() && hidden->get<bool>();
        return true;
    }

    // Scene ids and identifiers are unique across the file; views are checked one scene at a time.
    bool readScene(const json& s, SceneDescription& scene, const std::string& where, std::set<std::string>& sceneIDs,
                   std::set<std::string>& identifiers)
    {
        if (!s.is_object())
            return fail(where, "a scene must be an object");
        if (!requiredString(s, "id", scene.id, where) || !requiredString(s, "class", scene.className, where)
            || !optionalString(s, "identifier", scene.identifier, where)
            || !optionalString(s, "title", scene.title, where))
            return false;
        if (!sceneIDs.insert(scene.id).second)
            return fail(where, "the scene id '" + scene.id + "' is used twice");
        if (!scene.identifier.empty() && !identifiers.insert(scene.identifier).second)
            return fail(where, "the identifier '" + scene.identifier + "' is used twice");
        if (!sceneNavigation(s, scene, where))
            return false;
        if (auto v = s.find("view"); v != s.end()) {
            std::set<std::string> ids;
            scene.view.emplace();
            if (!view(*v, *scene.view, where + ".view", ids) || !references(*scene.view, ids, where + ".view"))
                return false;
        }
        return true;
    }

    bool readScenes(const json& root, StoryboardDescription& out)
    {
        auto scenes = root.find("scenes");
        if (scenes == root.end() || !scenes->is_array() || scenes->empty())
            return fail("", "'scenes' must be a list of at least one scene");
        std::set<std::string> sceneIDs, identifiers;
        for (std::size_t i = 0; i < scenes->size(); ++i) {
            SceneDescription s;
            if (!readScene((*scenes)[i], s, "scenes[" + std::to_string(i) + "]", sceneIDs, identifiers))
                return false;
            out.scenes.push_back(std::move(s));
        }
        return true;
    }

    // Needs the scenes already read: a segue must join two of them and leave its source once.
    bool readSegue(const json& s, StoryboardDescription& out, const std::string& where)
    {
        if (!s.is_object())
            return fail(where, "a segue must be an object");
        SegueDescription segue;
        std::string kind;
        if (!requiredString(s, "identifier", segue.identifier, where)
            || !requiredString(s, "source", segue.source, where)
            || !requiredString(s, "destination", segue.destination, where)
            || !requiredString(s, "kind", kind, where))
            return false;
        if (kind == "push")
            segue.kind = UIStoryboardSegueKind::Push;
        else if (kind == "modal")
            segue.kind = UIStoryboardSegueKind::Modal;
        else
            return fail(where, "the kind '" + kind + "' is neither push nor modal");
        if (!out.sceneWithID(segue.source) || !out.sceneWithID(segue.destination))
            return fail(where, "the segue '" + segue.identifier + "' joins scenes that are not in the file");
        if (out.segue(segue.source, segue.identifier))
            return fail(where, "the segue '" + segue.identifier + "' leaves its scene twice");
        out.segues.push_back(std::move(segue));
        return true;
    }

    bool readSegues(const json& root, StoryboardDescription& out)
    {
        auto segues = root.find("segues");
        if (segues == root.end())
            return true;
        if (!segues->is_array())
            return fail("", "'segues' must be a list");
        for (std::size_t i = 0; i < segues->size(); ++i) {
            if (!readSegue((*segues)[i], out, "segues[" + std::to_string(i) + "]"))
                return false;
        }
        return true;
    }

    bool storyboard(const json& root, StoryboardDescription& out)
    {
        if (!root.is_object())
            return fail("", "the file must hold an object");
        if (!requiredString(root, "initialScene", out.initialScene, "") || !readScenes(root, out))
            return false;
        if (!out.sceneWithID(out.initialScene))
            return fail("", "the initial scene '" + out.initialScene + "' is not among the scenes");
        return readSegues(root, out);
    }

    bool nib(const json& root, NibDescription& out)
    {
        if (!root.is_object())
            return fail("", "the file must hold an object");
        if (!optionalString(root, "ownerClass", out.ownerClass, ""))
            return false;
        auto views = root.find("views");
        if (views == root.end() || !views->is_array())
            return fail("", "'views' must be a list");
        std::set<std::string> ids;
        for (std::size_t i = 0; i < views->size(); ++i) {
            out.views.emplace_back();
            if (!view((*views)[i], out.views.back(), "views[" + std::to_string(i) + "]", ids))
                return false;
        }
        for (const auto& v : out.views) {
            if (!references(v, ids, "views"))
                return false;
        }
        return true;
    }

private:
    std::string m_file;
    std::string m_error;
};

json parseText(const std::string& text)
{
    return json::parse(text, nullptr, false);
}

} // namespace

std::filesystem::path InterfaceFileReader::folder()
{
    return Paths::resourcesFolder() / "interface";
}

std::filesystem::path InterfaceFileReader::storyboardPath(const std::string& name)
{
    return folder() / (name + ".storyboard.json");
}

std::filesystem::path InterfaceFileReader::nibPath(const std::string& name)
{
    return folder() / (name + ".nib.json");
}

std::optional<StoryboardDescription> InterfaceFileReader::parseStoryboard(const std::string& text, const std::string& name)
{
    Reader reader(name + ".storyboard.json");
    const json root = parseText(text);
    StoryboardDescription contents;
    contents.name = name;
    if (root.is_discarded()) {
        reader.fail("", "it is not JSON");
        reader.report();
        return std::nullopt;
    }
    if (!reader.storyboard(root, contents)) {
        reader.report();
        return std::nullopt;
    }
    return contents;
}

std::optional<NibDescription> InterfaceFileReader::parseNib(const std::string& text, const std::string& name)
{
    Reader reader(name + ".nib.json");
    const json root = parseText(text);
    NibDescription contents;
    contents.name = name;
    if (root.is_discarded()) {
        reader.fail("", "it is not JSON");
        reader.report();
        return std::nullopt;
    }
    if (!reader.nib(root, contents)) {
        reader.report();
        return std::nullopt;
    }
    return contents;
}

namespace {
// Names become file names: nothing that could leave the folder.
bool acceptableName(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos && name.find('\0') == std::string::npos
        && name != "." && name != "..";
}
} // namespace

std::shared_ptr<const StoryboardDescription> InterfaceFileReader::storyboard(const std::string& name)
{
    auto& cache = storyboardCache();
    if (auto it = cache.find(name); it != cache.end())
        return it->second;
    if (!acceptableName(name)) {
        NSLog("Could not find a storyboard named '%s'", name.c_str());
        return nullptr;
    }
    const auto text = readFile(storyboardPath(name));
    if (!text) {
        NSLog("Could not find a storyboard named '%s'", name.c_str());
        return nullptr;
    }
    auto contents = parseStoryboard(*text, name);
    if (!contents)
        return nullptr;
    auto shared = std::make_shared<const StoryboardDescription>(std::move(*contents));
    cache[name] = shared;
    return shared;
}

std::shared_ptr<const NibDescription> InterfaceFileReader::nib(const std::string& name)
{
    auto& cache = nibCache();
    if (auto it = cache.find(name); it != cache.end())
        return it->second;
    if (!acceptableName(name)) {
        NSLog("Could not load the nib named '%s'", name.c_str());
        return nullptr;
    }
    const auto text = readFile(nibPath(name));
    if (!text) {
        NSLog("Could not load the nib named '%s'", name.c_str());
        return nullptr;
    }
    auto contents = parseNib(*text, name);
    if (!contents)
        return nullptr;
    auto shared = std::make_shared<const NibDescription>(std::move(*contents));
    cache[name] = shared;
    return shared;
}

void InterfaceFileReader::clearCache()
{
    storyboardCache().clear();
    nibCache().clear();
}
