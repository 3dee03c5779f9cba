#pragma once

#include <string>

// Where the dispatcher shows the alert a refused reply raises (an order line sold out, a
// package refused, an unknown clerk): the interface kit implements it with an alert view, and
// the program hands it to the dispatcher at launch, as it does the status display. Without one,
// the refusal is only logged.
class ReplyAlertDisplay {
public:
    virtual ~ReplyAlertDisplay() = default;
    virtual void showAlert(const std::string& title, const std::string& message, const std::string& button) = 0;
    // While a reply no request awaited is handled, every alert raised (the dispatcher's own and
    // those of the screen it tells) answers nothing the user did: such alerts fold into one
    // rather than pile up. Returns what the setting was.
    virtual bool setRaisingUnasked(bool unasked) = 0;
};
