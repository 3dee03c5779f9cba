#include "rooms/ScannerSession.h"

#include "platform/ui/UIViewController.h"

void ScannerSession::open(UIViewController&, const std::string& title, bool isVipCard)
{
    m_title = title;
    m_isVipCard = isVipCard;
    m_waiting = true;
}

void ScannerSession::finish(UIViewController& presenter)
{
    m_waiting = false;
    // Only the scanner itself is dismissed, never the presenter.
    auto scanner = m_scanner.lock();
    if (scanner && presenter.presentedViewController() == scanner)
        presenter.dismissViewControllerAnimated(true);
}
