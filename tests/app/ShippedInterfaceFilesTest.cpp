#include "app/ApplicationInterfaceClasses.h"
#include "platform/ui/InterfaceChecker.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/UIImage.h"
#include "platform/ui/InterfaceFileReader.h"
#include "platform/ui/InterfaceRegistry.h"
#include "platform/ui/UIControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

// With every layer's classes registered, each shipped interface file names only classes,
// outlets, actions and properties that exist: nothing is taken on trust.
TEST(ShippedInterfaceFiles, EveryNameIsRegisteredByTheProgram)
{
    registerApplicationInterfaceClasses();
    const InterfaceChecker checker;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(InterfaceFileReader::folder())) {
        const std::string file = entry.path().filename().string();
        std::vector<std::string> problems;
        if (file.ends_with(".storyboard.json")) {
            auto contents = InterfaceFileReader::storyboard(file.substr(0, file.size() - 16));
            ASSERT_TRUE(contents) << file;
            problems = checker.checkStoryboard(*contents);
        } else if (file.ends_with(".nib.json")) {
            auto contents = InterfaceFileReader::nib(file.substr(0, file.size() - 9));
            ASSERT_TRUE(contents) << file;
            problems = checker.checkNib(*contents);
        } else {
            continue;
        }
        for (const auto& problem : problems)
            ADD_FAILURE() << file << ": " << problem;
        ++files;
    }
    EXPECT_GE(files, 5);
}

// A picture an interface file names but the program does not ship shows as a broken box.
TEST(ShippedInterfaceFiles, EveryPictureNamedShips)
{
    std::vector<std::string> named, missing;
    std::function<void(const nlohmann::json&)> walk = [&](const nlohmann::json& node) {
        if (node.is_object() && node.contains("properties") && node["properties"].is_object()) {
            for (const auto& [key, value] : node["properties"].items()) {
                if (value.is_string() && (key.find("image") != std::string::npos || key.find("Image") != std::string::npos))
                    named.push_back(value.get<std::string>());
            }
        }
        for (const auto& child : node.is_structured() ? node : nlohmann::json::array())
            walk(child);
    };
    for (const auto& entry : std::filesystem::directory_iterator(InterfaceFileReader::folder()))
        walk(nlohmann::json::parse(readFile(entry.path()).value_or(""), nullptr, false));
    for (const auto& name : named) {
        if (UIImage::imageNamed(name)->isPlaceholder())
            missing.push_back(name);
    }
    EXPECT_GE(named.size(), 2u);
    EXPECT_EQ(missing, std::vector<std::string> {});
}

// A button acts when the finger lifts inside it, so a touch can still be taken back by sliding
// off. Taps in tests send every event of a touch, so only the wiring itself shows this.
TEST(ShippedInterfaceFiles, ButtonsActWhenTheFingerLiftsInside)
{
    registerApplicationInterfaceClasses();
    const auto& registry = InterfaceRegistry::shared();
    std::vector<std::string> wired;
    std::function<void(const ViewDescription&, const std::string&)> walk = [&](const ViewDescription& view,
                                                                              const std::string& file) {
        for (const auto& action : view.actions) {
            if (!registry.isKindOf(view.className, "UIButton"))
                continue;
            wired.push_back(action.selector);
            EXPECT_EQ(action.events, UIControlEventTouchUpInside) << file << ": " << action.selector;
        }
        for (const auto& subview : view.subviews)
            walk(subview, file);
    };
    for (const auto& entry : std::filesystem::directory_iterator(InterfaceFileReader::folder())) {
        const std::string file = entry.path().filename().string();
        if (file.ends_with(".storyboard.json")) {
            auto contents = InterfaceFileReader::storyboard(file.substr(0, file.size() - 16));
            ASSERT_TRUE(contents) << file;
            for (const auto& scene : contents->scenes)
                if (scene.view)
                    walk(*scene.view, file);
        } else if (file.ends_with(".nib.json")) {
            auto contents = InterfaceFileReader::nib(file.substr(0, file.size() - 9));
            ASSERT_TRUE(contents) << file;
            for (const auto& view : contents->views)
                walk(view, file);
        }
    }
    // The buttons the screens cannot do without are among those checked.
    for (const std::string relied : {"btnLoginAction:", "btnRecommendAction:", "btnBackAction:"})
        EXPECT_NE(std::find(wired.begin(), wired.end(), relied), wired.end()) << relied << " is wired from no button";
}
