#pragma once

#include "platform/ui/UIAlertViewDelegate.h"
#include "platform/ui/UIView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Posted (with the alert as object) once an alert has gone from the screen.
inline const std::string UIAlertViewDidDismissNotification = "UIAlertViewDidDismissNotification";

class UITextField;

enum class UIAlertViewStyle : int { Default = 0, SecureTextInput = 1, PlainTextInput = 2, LoginAndPasswordInput = 3 };

// A modal notice with a title, a message and buttons. show() puts it in front of everything
// (the application's alert stack holds it while it shows); a button tapped, or a dismissal in
// code, takes it away. The delegate is not owned.
// An alert the same as one up is not shown twice, and those raised of what a peer sent unasked
// fold into one (UIApplication::setRaisingUnaskedAlerts): one not shown stays not visible, and
// its delegate hears nothing, as of an alert never shown. Either happens only while another
// alert is up, whose going posts the dismissal notice, so whatever waits for alerts to go is
// still told.
class UIAlertView : public UIView {
public:
    // The cancel button, when given, is button 0; the others follow in order.
    static std::shared_ptr<UIAlertView> create(std::string title, std::optional<std::string> message,
                                               std::weak_ptr<UIAlertViewDelegate> delegate,
                                               std::optional<std::string> cancelButtonTitle,
                                               std::vector<std::string> otherButtonTitles = {});
    UIAlertView();

    const std::string& title() const { return m_title; }
    void setTitle(std::string title) { m_title = std::move(title); }
    const std::optional<std::string>& message() const { return m_message; }
    void setMessage(std::optional<std::string> message) { m_message = std::move(message); }
    std::shared_ptr<UIAlertViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<UIAlertViewDelegate> delegate) { m_delegate = std::move(delegate); }

    // The input styles give the alert one text field (two for login and password) under the
    // message; choosing a style replaces the fields of the one before.
    UIAlertViewStyle alertViewStyle() const { return m_style; }
    void setAlertViewStyle(UIAlertViewStyle style);
    // Nothing for an index the style has no field for.
    std::shared_ptr<UITextField> textFieldAtIndex(int index) const;

    int addButtonWithTitle(std::string title);
    int numberOfButtons() const { return static_cast<int>(m_buttons.size()); }
    // Nothing for an index that is not a button.
    std::optional<std::string> buttonTitleAtIndex(int index) const;
    int cancelButtonIndex() const { return m_cancelButtonIndex; }
    int firstOtherButtonIndex() const;

    bool isVisible() const { return m_visible; }
    // Alike in all a user sees and in whom it tells: one of the two up serves for both.
    bool isSameAlertAs(const UIAlertView& other) const;
    void show();
    // A tap on a button: the delegate hears the click, then the dismissal. False, and nothing
    // happens, when the alert is not showing or the index is not a button.
    bool tapButtonAtIndex(int index);
    // Takes the alert away as if the button had been tapped, without the click.
    void dismissWithClickedButtonIndex(int index, bool animated);

    void layoutForScreen(CGRect screen);
    void drawRect(const CGRect& rect) override;
    void addDrawnContent(ViewFingerprint& fingerprint) const override;

private:
    // Where the text fields start and where the buttons start, from the top of the alert.
    double fieldsTop() const;
    CGRect fieldFrame(std::size_t index) const;
    double buttonsTop() const;

    std::string m_title;
    std::optional<std::string> m_message;
    std::weak_ptr<UIAlertViewDelegate> m_delegate;
    std::vector<std::string> m_buttons;
    int m_cancelButtonIndex = -1;
    UIAlertViewStyle m_style = UIAlertViewStyle::Default;
    std::vector<std::shared_ptr<UITextField>> m_textFields;
    bool m_visible = false;
};

using UIAlertViewPtr = std::shared_ptr<UIAlertView>;
