#pragma once

class ProgressHUD;

// Told once a busy indicator has finished hiding. A receiver answers one of the two; each
// returns true when the receiver handles it, and the indicator calls the plain form only when
// the one with the indicator was not handled.
class ProgressHUDDelegate {
public:
    virtual ~ProgressHUDDelegate() = default;
    virtual bool hudWasHidden(ProgressHUD&) { return false; }
    virtual bool hudWasHidden() { return false; }
};
