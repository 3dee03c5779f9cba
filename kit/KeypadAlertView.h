#pragma once

#include "kit/KeypadAlertViewDelegate.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/UIButton.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UIView.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The modal prompt through which staff type numbers: a title, a read-only input line and a keypad
// of its own (digits, delete, 取消 and 确定), at most 15 characters. Each prompt is a new dialog:
//
//     auto keypad = KeypadAlertView::create();
//     keypad->title()->setText("请输入密码");
//     keypad->setTag(command);
//     keypad->setDelegate(screen);
//     keypad->setIsPassWord(true);
//     keypad->show();
//
// The first window holds the dialog while it shows. 确定 or 取消 gives the delegate exactly one
// answer, tagged with the dialog's tag, and the dialog then closes and lets itself go. The
// delegate is not owned, and there is none until the caller sets one: without it the keys only
// close the dialog.
class KeypadAlertView : public UIView {
public:
    static constexpr std::size_t MaxInputLength = 15;
    static constexpr CGSize ContentSize {300, 440};
    static constexpr double AnimationDuration = 0.2;
    static constexpr double MotionEffectExtent = 10;

    static std::shared_ptr<KeypadAlertView> create();
    // A new dialog asking for a password (digits shown as dots), shown at once; its answer
    // carries the tag.
    static std::shared_ptr<KeypadAlertView> showPasswordPrompt(const std::string& title, std::int64_t tag,
                                                               std::weak_ptr<KeypadAlertViewDelegate> delegate);
    // Shown inside the host view instead of the first window; turns of the device are left alone.
    static std::shared_ptr<KeypadAlertView> createWithParentView(const UIViewPtr& parentView);
    KeypadAlertView();
    ~KeypadAlertView() override;

    void show();
    void close();
    // The tilt effect on the box (nothing before the box is built); show() applies it when
    // useMotionEffects is set.
    void applyMotionEffects();
    // A content view of the caller's in place of the keypad; before the first show.
    void setSubView(UIViewPtr view) { m_containerView = std::move(view); }

    const UILabelPtr& title() const { return m_title; }
    std::shared_ptr<KeypadAlertViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<KeypadAlertViewDelegate> delegate) { m_delegate = std::move(delegate); }
    bool isPassWord() const { return m_isPassWord; }
    // Read once, while the first show builds the keypad.
    void setIsPassWord(bool isPassWord) { m_isPassWord = isPassWord; }
    std::int32_t cmd() const { return m_cmd; }
    void setCmd(std::int32_t cmd) { m_cmd = cmd; }
    bool useMotionEffects() const { return m_useMotionEffects; }
    void setUseMotionEffects(bool use) { m_useMotionEffects = use; }
    const std::vector<std::string>& buttonTitles() const { return m_buttonTitles; }
    void setButtonTitles(std::vector<std::string> titles) { m_buttonTitles = std::move(titles); }
    using ButtonHandler = std::function<void(KeypadAlertView&, std::int64_t buttonIndex)>;
    void setOnButtonTouchUpInside(ButtonHandler handler) { m_onButtonTouchUpInside = std::move(handler); }

    UIViewPtr parentView() const { return m_parentView.lock(); }
    const UIViewPtr& dialogView() const { return m_dialogView; }
    const UIViewPtr& containerView() const { return m_containerView; }
    // The input line; it shows dots in place of the digits of a password.
    const UILabelPtr& pw() const { return m_pw; }
    // The characters typed so far.
    const std::string& input() const { return m_input; }
    // The key for a digit, the delete key, 取消 and 确定, once the keypad is built.
    UIButtonPtr digitKey(int digit) const;
    const UIButtonPtr& deleteKey() const { return m_deleteKey; }
    const UIButtonPtr& cancelKey() const { return m_cancelKey; }
    const UIButtonPtr& okKey() const { return m_okKey; }

    // Key actions.
    void clickNum(int digit);
    void clickDelNum();
    void clickOK();
    void clickCancel();

    CGSize countScreenSize();
    CGSize countDialogSize() const;
    void deviceOrientationDidChange(const Notification& notification);
    void keyboardWillShow(const Notification& notification);
    void keyboardWillHide(const Notification& notification);

private:
    void observeSystemNotices();
    UIViewPtr createContainerView();
    void addViewToContainerView();
    void addButtonsToView(UIView& box);
    void keypadDialogButtonTouchUpInside(std::int64_t buttonIndex);
    void answer(bool isOk);
    UIButtonPtr makeKey(const CGRect& frame, std::function<void(KeypadAlertView&)> action);
    void refreshField();
    CGRect centredBoxFrame(CGSize screen, CGSize dialog, double keyboardHeight) const;

    // Not owned: the dialog becomes the parent's subview, so owning it would make a cycle.
    std::weak_ptr<UIView> m_parentView;
    UIViewPtr m_dialogView;
    UIViewPtr m_containerView;
    UILabelPtr m_title;
    UILabelPtr m_pw;
    std::weak_ptr<KeypadAlertViewDelegate> m_delegate;
    std::vector<std::string> m_buttonTitles;
    bool m_useMotionEffects = false;
    std::int32_t m_cmd = 0;
    bool m_isPassWord = false;
    ButtonHandler m_onButtonTouchUpInside;

    std::string m_input;
    // Whether the input line shows dots, settled when the keypad is built.
    bool m_masked = false;
    std::vector<UIButtonPtr> m_digitKeys;
    UIButtonPtr m_deleteKey;
    UIButtonPtr m_cancelKey;
    UIButtonPtr m_okKey;
    // Heights of the button row and of the line above it: 50 and 1 with a row, else nothing.
    double m_buttonHeight = 0;
    double m_separatorHeight = 0;
    // One answer per dialog, and one closing.
    bool m_answered = false;
    bool m_closing = false;
    std::vector<NotificationCenter::Token> m_observers;
};

using KeypadAlertViewPtr = std::shared_ptr<KeypadAlertView>;
