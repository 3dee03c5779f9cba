#pragma once

#include "platform/graphics/TextAttributes.h"
#include "platform/graphics/UIFont.h"
#include "platform/ui/UIControl.h"
#include "platform/ui/UITextFieldDelegate.h"

#include <memory>
#include <string>

class InterfaceRegistry;

inline const std::string UITextFieldTextDidBeginEditingNotification = "UITextFieldTextDidBeginEditingNotification";
inline const std::string UITextFieldTextDidChangeNotification = "UITextFieldTextDidChangeNotification";
inline const std::string UITextFieldTextDidEndEditingNotification = "UITextFieldTextDidEndEditingNotification";

enum class UITextBorderStyle : int { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };
enum class UIKeyboardType : int { Default = 0, NumbersAndPunctuation = 2, NumberPad = 4 };

// One line of editable text. Editing is being the window's first responder: it begins when the
// field becomes it (the delegate may refuse), brings up the keyboard, and ends when the field
// resigns (the delegate may refuse unless the ending is forced) or leaves its window. Typing
// comes from tests through typeText, deleteBackward and pressReturn.
class UITextField : public UIControl {
public:
    // Makes the class known to interface files, with the properties they may set.
    static void registerInterfaceClass(InterfaceRegistry& r);
    static std::shared_ptr<UITextField> create(const CGRect& frame = CGRectZero);
    explicit UITextField(const CGRect& frame = CGRectZero);
    ~UITextField() override;

    const std::string& text() const { return m_text; }
    // Setting the text in code asks no delegate and sends no actions.
    void setText(std::string text);
    const std::string& placeholder() const { return m_placeholder; }
    void setPlaceholder(std::string placeholder);
    const UIFontPtr& font() const { return m_font; }
    void setFont(UIFontPtr font);
    const UIColorPtr& textColor() const { return m_textColor; }
    void setTextColor(UIColorPtr color);
    NSTextAlignment textAlignment() const { return m_alignment; }
    void setTextAlignment(NSTextAlignment alignment);
    UITextBorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(UITextBorderStyle style);
    bool isSecureTextEntry() const { return m_secure; }
    void setSecureTextEntry(bool secure);
    bool clearsOnBeginEditing() const { return m_clearsOnBeginEditing; }
    void setClearsOnBeginEditing(bool clears) { m_clearsOnBeginEditing = clears; }
    UIKeyboardType keyboardType() const { return m_keyboardType; }
    void setKeyboardType(UIKeyboardType type) { m_keyboardType = type; }

    std::shared_ptr<UITextFieldDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<UITextFieldDelegate> delegate) { m_delegate = std::move(delegate); }

    bool isEditing() const { return m_editing; }
    // What is drawn: the text, or a dot per character while entry is secure.
    std::string displayedText() const;

    bool canBecomeFirstResponder() const override;
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    void setEnabled(bool enabled) override;

    // Keyboard input, only while editing: each asks the delegate's
    // textFieldShouldChangeCharactersInRange first, then sends the editing-changed actions and
    // the did-change notification. False when nothing was changed.
    bool typeText(const std::string& text);
    bool deleteBackward();
    // The return key: asks textFieldShouldReturn; when it agrees, sends the did-end-on-exit
    // actions. Returns the delegate's answer.
    bool pressReturn();

    // A tap on the field: it starts editing when it can.
    bool tap();

    CGRect textRectForBounds(const CGRect& bounds) const;
    void drawRect(const CGRect& rect) override;
    void didMoveToWindow() override;

protected:
    bool forceResignFirstResponder() override;

private:
    bool endEditing(bool force);
    bool replace(NSRange range, const std::string& replacement);

    std::string m_text;
    std::string m_placeholder;
    UIFontPtr m_font;
    UIColorPtr m_textColor = UIColor::blackColor();
    NSTextAlignment m_alignment = NSTextAlignment::Left;
    UITextBorderStyle m_borderStyle = UITextBorderStyle::None;
    UIKeyboardType m_keyboardType = UIKeyboardType::Default;
    bool m_secure = false;
    bool m_clearsOnBeginEditing = false;
    bool m_editing = false;
    std::weak_ptr<UITextFieldDelegate> m_delegate;
};

using UITextFieldPtr = std::shared_ptr<UITextField>;
