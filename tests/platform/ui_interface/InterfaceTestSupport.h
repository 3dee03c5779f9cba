#pragma once

#include "platform/foundation/Paths.h"
#include "platform/ui/InterfaceFileReader.h"
#include "platform/ui/InterfaceRegistry.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIKeyboard.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/UIWindow.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using Log = std::vector<std::string>;

// A controller that writes down its appearance calls, so tests can check their order.
class RecordingController : public UIViewController {
public:
    explicit RecordingController(std::string name = "c", std::vector<std::string>* log = nullptr)
        : m_name(std::move(name))
        , m_log(log)
    {
    }
    void viewDidLoad() override { note("load"); }
    void viewWillAppear(bool) override { note("will appear"); }
    void viewDidAppear(bool) override { note("did appear"); }
    void viewWillDisappear(bool) override { note("will disappear"); }
    void viewDidDisappear(bool) override { note("did disappear"); }

private:
    void note(const std::string& what)
    {
        if (m_log)
            m_log->push_back(m_name + " " + what);
    }
    std::string m_name;
    std::vector<std::string>* m_log;
};

// A shown key window on a manual clock, a log capture, and a scratch resources folder whose
// interface/ sub-folder tests write files into. The registry and the file cache start empty.
class InterfaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UIApplication::sharedApplication().resetForTesting();
        UIKeyboard::resetForTesting();
        InterfaceRegistry::shared().reset();
        InterfaceFileReader::clearCache();
        m_resources = std::filesystem::path(m_data.path()) / "resources";
        std::filesystem::create_directories(m_resources / "interface");
        Paths::setResourcesFolder(m_resources);
        window = UIWindow::create(UIScreen::mainScreen().bounds());
    }
    void TearDown() override
    {
        window.reset();
        UIApplication::sharedApplication().resetForTesting();
        UIKeyboard::resetForTesting();
        Paths::setResourcesFolder(std::nullopt);
        InterfaceFileReader::clearCache();
        InterfaceRegistry::shared().reset();
    }

    void show(const std::shared_ptr<UIViewController>& root)
    {
        window->setRootViewController(root);
        window->makeKeyAndVisible();
    }
    void writeInterfaceFile(const std::string& fileName, const std::string& text)
    {
        std::ofstream(m_resources / "interface" / fileName) << text;
    }
    // Lets pending transitions finish.
    void settle() { clock.advance(1); }
    // A controller that writes its appearance calls into calls.
    std::shared_ptr<RecordingController> screen(const std::string& name)
    {
        return std::make_shared<RecordingController>(name, &calls);
    }
    // A screen shown as the window's root, its own calls so far forgotten.
    std::shared_ptr<RecordingController> shownScreen(const std::string& name)
    {
        auto shown = screen(name);
        show(shown);
        calls.clear();
        return shown;
    }

    ScopedDataFolder m_data;
    ManualMainClock clock;
    LogCapture log;
    std::filesystem::path m_resources;
    std::shared_ptr<UIWindow> window;
    Log calls;
};
