#pragma once

#include "platform/ui/ViewRenderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

// When FLOORPAD_TEST_SCREENS names a folder, the screen tests leave there a picture of each screen
// they drive, named after what it shows, so that a person can look at every screen the tests reach.
inline std::optional<std::filesystem::path> screenPicturePath(const std::string& name)
{
    const char* folder = std::getenv("FLOORPAD_TEST_SCREENS");
    if (!folder || !*folder)
        return std::nullopt;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::path(folder) / (name + ".png");
}

// The whole screen as it stands: windows, popovers and the alert in front.
inline void keepScreenPicture(const std::string& name)
{
    if (const auto path = screenPicturePath(name)) {
        EXPECT_TRUE(ViewRenderer::writeScreenPNG(*path)) << *path;
    }
}

// One view on its own, for screens the tests build outside a window.
inline void keepViewPicture(UIView& view, const std::string& name)
{
    if (const auto path = screenPicturePath(name)) {
        EXPECT_TRUE(ViewRenderer::writePNG(view, *path)) << *path;
    }
}
