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
    // with that title; the member-card panel when asked.
    void open(UIViewController& presenter, const std::string& title, bool isVipCard = false);
    bool isWaiting() const { return m_waiting; }
    // The scan is taken: later deliveries are ignored, and the scanner is dismissed.
    void finish();
    // The scanner is gone without a result (its own return button).
    void forget() { m_waiting = false; }
    const std::string& title() const { return m_title; }
    bool isVipCard() const { return m_isVipCard; }
    std::shared_ptr<SubScanViewController> scanner() const { return m_scanner.lock(); }

private:
    std::weak_ptr<SubScanViewController> m_scanner;
    std::string m_title;
    bool m_isVipCard = false;
    bool m_waiting = false;
};
