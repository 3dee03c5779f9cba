#pragma once

class UIAlertView;

// What an alert tells its delegate; every method is optional.
class UIAlertViewDelegate {
public:
    virtual ~UIAlertViewDelegate() = default;
    virtual void alertViewClickedButtonAtIndex(UIAlertView&, int) {}
    virtual void alertViewCancel(UIAlertView&) {}
    virtual void willPresentAlertView(UIAlertView&) {}
    virtual void didPresentAlertView(UIAlertView&) {}
    virtual void alertViewWillDismissWithButtonIndex(UIAlertView&, int) {}
    virtual void alertViewDidDismissWithButtonIndex(UIAlertView&, int) {}
};
