#include "platform/ui/UIStoryboard.h"

#include "platform/foundation/Log.h"
#include "platform/ui/InterfaceChecker.h"
#include "platform/ui/InterfaceFileReader.h"
#include "platform/ui/InterfaceRegistry.h"
#include "platform/ui/InterfaceViewBuilder.h"
#include "platform/ui/TypeName.h"
#include "platform/ui/UINavigationController.h"

std::shared_ptr<UIStoryboard> UIStoryboard::storyboardWithName(const std::string& name)
{
    auto contents = InterfaceFileReader::storyboard(name);
    return contents ? std::make_shared<UIStoryboard>(std::move(contents)) : nullptr;
}

UIStoryboard::UIStoryboard(std::shared_ptr<const StoryboardDescription> contents)
    : m_contents(std::move(contents))
{
}

std::shared_ptr<UIViewController> UIStoryboard::instantiateInitialViewController()
{
    const auto* scene = m_contents->sceneWithID(m_contents->initialScene);
    return scene ? instantiateScene(*scene) : nullptr;
}

std::shared_ptr<UIViewController> UIStoryboard::instantiateViewControllerWithIdentifier(const std::string& identifier)
{
    const auto* scene = m_contents->sceneWithIdentifier(identifier);
    if (!scene) {
        NSLog("Storyboard (%s) doesn't contain a view controller with identifier '%s'", name().c_str(),
              identifier.c_str());
        return nullptr;
    }
    return instantiateScene(*scene);
}

std::shared_ptr<UIViewController> UIStoryboard::instantiateScene(const SceneDescription& scene)
{
    InterfaceChecker checker;
    StoryboardDescription single;
    single.name = m_contents->name;
    single.scenes.push_back(scene);
    const auto problems = checker.checkStoryboard(single);
    if (!problems.empty()) {
        for (const auto& problem : problems)
            NSLog("Interface file %s", problem.c_str());
        return nullptr;
    }
    auto controller = InterfaceRegistry::shared().makeController(scene.className);
    if (!controller)
        return nullptr;
    controller->setStoryboardScene(shared_from_this(), scene.id);
    if (!scene.title.empty())
        controller->setTitle(scene.title);
    if (scene.view) {
        // The view is built when first asked for; the capture keeps the file's contents alive.
        controller->setViewBuilder([contents = m_contents, view = &*scene.view, cls = scene.className](UIViewController& owner) {
            InterfaceObject object;
            if (auto shared = owner.weak_from_this().lock())
                object = shared;
            auto views = InterfaceViewBuilder::build({view}, cls, object, contents->name + ".storyboard.json");
            return views.empty() ? nullptr : views.front();
        });
    }
    if (!scene.inNavigationController)
        return controller;
    auto navigation = UINavigationController::create(controller);
    navigation->setNavigationBarHidden(scene.navigationBarHidden);
    navigation->setStoryboardScene(shared_from_this(), scene.id);
    return navigation;
}

std::shared_ptr<UIStoryboardSegue> UIStoryboard::segueFromScene(const std::string& sceneID, const std::string& identifier,
                                                                 const std::shared_ptr<UIViewController>& source)
{
    const auto* segue = m_contents->segue(sceneID, identifier);
    if (!segue) {
        NSLog("Receiver (%s) has no segue with identifier '%s'", source ? typeNameOf(*source).c_str() : "nothing",
              identifier.c_str());
        return nullptr;
    }
    const auto* destinationScene = m_contents->sceneWithID(segue->destination);
    auto destination = destinationScene ? instantiateScene(*destinationScene) : nullptr;
    if (!destination)
        return nullptr;
    return std::make_shared<UIStoryboardSegue>(segue->identifier, source, std::move(destination), segue->kind);
}
