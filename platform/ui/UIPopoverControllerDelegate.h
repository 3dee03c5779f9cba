#pragma once

class UIPopoverController;

// Hears about a popover that a tap outside it closes; both methods are optional.
class UIPopoverControllerDelegate {
public:
    virtual ~UIPopoverControllerDelegate() = default;
    virtual bool popoverControllerShouldDismissPopover(UIPopoverController&) { return true; }
    virtual void popoverControllerDidDismissPopover(UIPopoverController&) {}
};
