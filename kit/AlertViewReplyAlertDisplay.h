#pragma once

#include "session/ReplyAlertDisplay.h"

// Shows the dispatcher's alerts as alert views with a single button.
class AlertViewReplyAlertDisplay final : public ReplyAlertDisplay {
public:
    static AlertViewReplyAlertDisplay& shared();
    void showAlert(const std::string& title, const std::string& message, const std::string& button) override;
};
