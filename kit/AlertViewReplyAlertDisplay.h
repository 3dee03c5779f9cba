#pragma once

#include "session/ReplyAlertDisplay.h"

// Shows the dispatcher's alerts as alert views with a single button; those of replies nobody
// asked for fold into one (UIApplication::setRaisingUnaskedAlerts).
class AlertViewReplyAlertDisplay final : public ReplyAlertDisplay {
public:
    static AlertViewReplyAlertDisplay& shared();
    void showAlert(const std::string& title, const std::string& message, const std::string& button) override;
    bool setRaisingUnasked(bool unasked) override;
};
