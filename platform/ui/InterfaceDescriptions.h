#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/ui/UIStoryboardSegue.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// What an interface file says, read and checked for shape but not yet built.

// A control event wired to a selector of a target ("owner" or a view's id in the same file).
struct ActionDescription {
    unsigned events = 0;
    std::string selector;
    std::string target;
};

struct ViewDescription {
    std::string className;
    std::string id; // optional; names the view as an outlet holder or action target
    CGRect frame {};
    int tag = 0;
    nlohmann::json properties = nlohmann::json::object();
    // (outlet name, holder): the holder's outlet points at this view.
    std::vector<std::pair<std::string, std::string>> outlets;
    // (connection name such as "delegate", target object).
    std::vector<std::pair<std::string, std::string>> connections;
    std::vector<ActionDescription> actions;
    std::vector<ViewDescription> subviews;
};

struct SceneDescription {
    std::string id;
    std::string identifier; // the storyboard identifier code asks for; may be empty
    std::string className;
    std::string title;
    bool inNavigationController = false;
    bool navigationBarHidden = false;
    std::optional<ViewDescription> view;
};

struct SegueDescription {
    std::string identifier;
    std::string source;
    std::string destination;
    UIStoryboardSegueKind kind = UIStoryboardSegueKind::Modal;
};

struct StoryboardDescription {
    std::string name;
    std::string initialScene;
    std::vector<SceneDescription> scenes;
    std::vector<SegueDescription> segues;

    const SceneDescription* sceneWithID(const std::string& id) const;
    const SceneDescription* sceneWithIdentifier(const std::string& identifier) const;
    const SegueDescription* segue(const std::string& sourceScene, const std::string& identifier) const;
};

struct NibDescription {
    std::string name;
    std::string ownerClass; // may be empty when nothing connects to the owner
    std::vector<ViewDescription> views;
};
