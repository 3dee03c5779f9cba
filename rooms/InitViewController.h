#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/UIAlertViewDelegate.h"
#include "platform/ui/UIViewController.h"
#include "session/SocketDataHandleDelegate.h"

#include <memory>

class ProgressHUD;
class UIAlertView;

// The first screen: connects to the venue server, learns the server date and the venue,
// binds this device to the hall and leaves for the clerk login or the room floor, as the
// binding decides. On failure it offers to retry.
class InitViewController : public UIViewController, public SocketDataHandleDelegate, public UIAlertViewDelegate {
public:
    static constexpr int RetryAlertTag = 0;

    void viewDidLoad() override;
    unsigned supportedInterfaceOrientations() const override;

    bool socketDataHandleServerConnect(SocketDataHandle&, bool connected) override;
    void socketDataHandleDidGetChangSuoID(bool success, const std::string& errorMsg, const std::string& csid,
                                          const std::string& csname) override;
    void socketDataHandleDidHallBound(bool success, const std::string& errorMsg) override;
    void alertViewClickedButtonAtIndex(UIAlertView& alert, int index) override;

    const std::shared_ptr<ProgressHUD>& HUD() const { return m_HUD; }

    // Empties the picture caches: memory and disk, and the responses kept for URL loading.
    void flushCache();

private:
    void connect();
    // One retry alert at a time: a second failure while one is up adds nothing.
    void showRetryAlert(const std::string& title, const std::string& message, const std::string& button);
    void showRetryAlertWhenAnAlertGoes(const std::string& title, const std::string& message, const std::string& button);

    std::shared_ptr<ProgressHUD> m_HUD;
    std::weak_ptr<UIAlertView> m_retryAlert;
    NotificationCenter::Token m_retryWhenAnAlertGoes;
    bool m_left = false;
};
