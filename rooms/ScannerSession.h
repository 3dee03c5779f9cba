#pragma once

#include <memory>
#include <string>

class SubScanViewController;
class UIViewController;

// The scanner a screen opened and the one code it waits for. The scanner may deliver the same
// scan more than once before it is gone; only the first delivery is taken.
class ScannerSession {
public:
    // Opens the scanner over the presenter, which hears its results (as its ScanResultDelegate),
    // with that title; the member-card panel when asked. A scanner of this session still on
    // screen goes on serving instead.
    void open(UIViewController& presenter, const std::string& title, bool isVipCard = false);
    // A scanner is on screen and no code of it was taken yet.
    bool isWaiting() const;
    // The scan is taken: later deliveries are ignored, and the scanner is dismissed.
    void finish();
    std::shared_ptr<SubScanViewController> scanner() const { return m_scanner.lock(); }

private:
    std::weak_ptr<SubScanViewController> m_scanner;
    bool m_waiting = false;
};
