#include "rooms/ScannerSession.h"

#include "platform/graphics/UIImage.h"
#include "platform/ui/UIViewController.h"
#include "scan/SubScanViewController.h"

void ScannerSession::open(UIViewController& presenter, const std::string& title, bool isVipCard)
{
    m_waiting = true;
    if (isWaiting())
        return;
    // Every scanner of the program looks alike; the member-card one sits higher, above its
    // panel, with corner marks of no width.
    auto style = ScanViewStyle::create();
    style->centerUpOffset = isVipCard ? 200 : 0;
    style->xScanRetangleOffset = 200;
    style->photoframeAngleStyle = 0;
    style->photoframeLineW = isVipCard ? 0 : 10;
    style->photoframeAngleW = 80;
    style->photoframeAngleH = 80;
    style->isNeedShowRetangle = true;
    style->anmiationStyle = 0;
    style->colorAngle = UIColor::colorWithRed(0, 200 / 255.0, 20 / 255.0, 1);
    style->animationImage = UIImage::imageNamed("CodeScan.bundle/qrcode_Scan_weixin_Line");

    auto scanner = std::make_shared<SubScanViewController>();
    scanner->topTitleValue = title;
    scanner->isVipCard = isVipCard;
    scanner->setStyle(style);
    scanner->delegate = std::dynamic_pointer_cast<ScanResultDelegate>(presenter.shared_from_this());
    m_scanner = scanner;
    presenter.presentViewController(scanner, true);
}

bool ScannerSession::isWaiting() const
{
    // A scanner closed by its own return button has gone with its scan.
    auto scanner = m_scanner.lock();
    return m_waiting && scanner && scanner->presentingViewController();
}

void ScannerSession::finish()
{
    m_waiting = false;
    // Asked of the scanner, only the scanner goes; the presenter stays whatever covers it.
    auto scanner = m_scanner.lock();
    if (scanner && scanner->presentingViewController())
        scanner->dismissViewControllerAnimated(true);
}
