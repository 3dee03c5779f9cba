#pragma once

#include "platform/ui/UIApplication.h"

#include <gtest/gtest.h>

// Each test starts and ends with no windows, alerts or status-bar changes left over.
class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override { UIApplication::sharedApplication().resetForTesting(); }
    void TearDown() override { UIApplication::sharedApplication().resetForTesting(); }
};
