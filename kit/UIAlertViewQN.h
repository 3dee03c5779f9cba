#pragma once

#include "platform/ui/UIAlertView.h"

#include <memory>
#include <optional>
#include <string>

// The one-button notice through which the screens report errors and results.
struct UIAlertViewQN {
    // A new alert, not yet shown: titled "提示", the message as given (none leaves it without one),
    // no delegate and the single button "确定". The caller shows it.
    static std::shared_ptr<UIAlertView> setMsg(std::optional<std::string> message);
};
