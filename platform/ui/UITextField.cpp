#include "platform/ui/UITextField.h"

#include "platform/ui/InterfaceProperty.h"
#include "platform/ui/UIViewController.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/NSStringDrawing.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/graphics/Utf8.h"
#include "platform/ui/UIKeyboard.h"
#include "platform/ui/UIWindow.h"

namespace {
constexpr double TextInset = 7;
// Set while a field that becomes first responder makes the current one resign: the keyboard
// stays up between the two.
bool g_handingOver = false;
UIFontPtr defaultFont() { return UIFont::systemFontOfSize(17); }
} // namespace

std::shared_ptr<UITextField> UITextField::create(const CGRect& frame)
{
    return std::make_shared<UITextField>(frame);
}

UITextField::UITextField(const CGRect& frame)
    : UIControl(frame)
    , m_font(defaultFont())
{
    setOpaque(false);
    setContentVerticalAlignment(UIControlContentVerticalAlignment::Center);
}

UITextField::~UITextField()
{
    if (m_editing)
        UIKeyboard::hide();
}

void UITextField::setText(std::string text)
{
    m_text = std::move(text);
    setNeedsDisplay();
}

void UITextField::setPlaceholder(std::string placeholder)
{
    m_placeholder = std::move(placeholder);
    setNeedsDisplay();
}

void UITextField::setFont(UIFontPtr font)
{
    m_font = font ? std::move(font) : defaultFont();
    setNeedsDisplay();
}

void UITextField::setTextColor(UIColorPtr color)
{
    m_textColor = color ? std::move(color) : UIColor::blackColor();
    setNeedsDisplay();
}

void UITextField::setTextAlignment(NSTextAlignment alignment)
{
    m_alignment = alignment;
    setNeedsDisplay();
}

void UITextField::setBorderStyle(UITextBorderStyle style)
{
    m_borderStyle = style;
    setNeedsDisplay();
}

void UITextField::setSecureTextEntry(bool secure)
{
    m_secure = secure;
    setNeedsDisplay();
}

void UITextField::setEnabled(bool enabled)
{
    UIControl::setEnabled(enabled);
}

std::string UITextField::displayedText() const
{
    if (!m_secure)
        return m_text;
    std::string dots;
    for (std::size_t i = Utf8::decode(m_text).size(); i > 0; --i)
        dots += "\u2022";
    return dots;
}

bool UITextField::canBecomeFirstResponder() const
{
    return isEnabled() && !isHidden() && isUserInteractionEnabled();
}

bool UITextField::becomeFirstResponder()
{
    if (m_editing)
        return true;
    if (!canBecomeFirstResponder() || !window())
        return false;
    auto keep = shared_from_this();
    if (auto d = delegate(); d && !d->textFieldShouldBeginEditing(*this))
        return false;
    g_handingOver = true;
    const bool became = UIView::becomeFirstResponder();
    g_handingOver = false;
    if (!became)
        return false;
    m_editing = true;
    if (m_clearsOnBeginEditing)
        m_text.clear();
    setNeedsDisplay();
    if (auto d = delegate())
        d->textFieldDidBeginEditing(*this);
    sendActionsForControlEvents(UIControlEventEditingDidBegin);
    NotificationCenter::defaultCenter().post(UITextFieldTextDidBeginEditingNotification, this);
    UIKeyboard::show();
    return true;
}

bool UITextField::resignFirstResponder()
{
    return endEditing(false);
}

bool UITextField::forceResignFirstResponder()
{
    return endEditing(true);
}

bool UITextField::endEditing(bool force)
{
    if (!m_editing)
        return UIView::resignFirstResponder();
    auto keep = shared_from_this();
    if (!force) {
        if (auto d = delegate(); d && !d->textFieldShouldEndEditing(*this))
            return false;
    }
    UIView::resignFirstResponder();
    m_editing = false;
    setNeedsDisplay();
    if (auto d = delegate())
        d->textFieldDidEndEditing(*this);
    sendActionsForControlEvents(UIControlEventEditingDidEnd);
    NotificationCenter::defaultCenter().post(UITextFieldTextDidEndEditingNotification, this);
    if (!g_handingOver)
        UIKeyboard::hide();
    return true;
}

void UITextField::didMoveToWindow()
{
    if (m_editing && !window())
        endEditing(true);
}

bool UITextField::tap()
{
    if (!acceptsTaps())
        return false;
    return becomeFirstResponder();
}

bool UITextField::replace(NSRange range, const std::string& replacement)
{
    auto keep = shared_from_this();
    if (auto d = delegate(); d && !d->textFieldShouldChangeCharactersInRange(*this, range, replacement))
        return false;
    std::u32string characters = Utf8::decode(m_text);
    const std::size_t at = std::min(range.location, characters.size());
    const std::size_t count = std::min(range.length, characters.size() - at);
    characters.replace(at, count, Utf8::decode(replacement));
    m_text = Utf8::encode(characters);
    setNeedsDisplay();
    sendActionsForControlEvents(UIControlEventEditingChanged);
    NotificationCenter::defaultCenter().post(UITextFieldTextDidChangeNotification, this);
    return true;
}

bool UITextField::typeText(const std::string& text)
{
    if (!m_editing || text.empty())
        return false;
    return replace({Utf8::decode(m_text).size(), 0}, text);
}

bool UITextField::deleteBackward()
{
    if (!m_editing)
        return false;
    const std::size_t length = Utf8::decode(m_text).size();
    if (length == 0)
        return false;
    return replace({length - 1, 1}, "");
}

bool UITextField::pressReturn()
{
    if (!m_editing)
        return false;
    auto keep = shared_from_this();
    auto d = delegate();
    const bool agreed = d ? d->textFieldShouldReturn(*this) : true;
    if (agreed && (allControlEvents() & UIControlEventEditingDidEndOnExit)) {
        sendActionsForControlEvents(UIControlEventEditingDidEndOnExit);
        resignFirstResponder();
    }
    return agreed;
}

CGRect UITextField::textRectForBounds(const CGRect& b) const
{
    const double inset = m_borderStyle == UITextBorderStyle::None ? 0 : TextInset;
    return CGRectInset(b, inset, 0);
}

void UITextField::drawRect(const CGRect&)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const CGRect b = bounds();
    switch (m_borderStyle) {
    case UITextBorderStyle::None:
        break;
    case UITextBorderStyle::Line:
        context->setStrokeColor(UIColor::blackColor());
        context->setLineWidth(1);
        context->strokeRect(CGRectInset(b, 0.5, 0.5));
        break;
    case UITextBorderStyle::Bezel:
    case UITextBorderStyle::RoundedRect:
        context->setFillColor(UIColor::whiteColor());
        context->setStrokeColor(UIColor::colorWithWhite(0.75, 1));
        context->setLineWidth(1);
        context->beginPath();
        context->addRoundedRect(CGRectInset(b, 0.5, 0.5), m_borderStyle == UITextBorderStyle::RoundedRect ? 5 : 0);
        context->fillPath();
        context->beginPath();
        context->addRoundedRect(CGRectInset(b, 0.5, 0.5), m_borderStyle == UITextBorderStyle::RoundedRect ? 5 : 0);
        context->strokePath();
        break;
    }
    const bool showPlaceholder = m_text.empty();
    const std::string shown = showPlaceholder ? m_placeholder : displayedText();
    if (shown.empty())
        return;
    const CGRect area = textRectForBounds(b);
    const CGRect line = CGRectMake(area.origin.x, area.origin.y + (area.size.height - m_font->lineHeight()) / 2,
                                   area.size.width, m_font->lineHeight());
    context->setFillColor(showPlaceholder ? UIColor::colorWithWhite(0.7, 1) : m_textColor);
    NSStringDrawing::drawInRect(shown, line, *m_font, NSLineBreakMode::ByTruncatingTail, m_alignment, context.get());
}

void UITextField::registerInterfaceClass(InterfaceRegistry& r)
{
    using namespace InterfaceProperty;
    r.registerViewClass<UITextField>("UITextField", "UIControl")
        .property("text", prop<UITextField>(asText, [](UITextField& f, const std::string& t) { f.setText(t); }))
        .property("placeholder", prop<UITextField>(asText, [](UITextField& f, const std::string& t) { f.setPlaceholder(t); }))
        .property("font", prop<UITextField>(asFont, [](UITextField& f, const UIFontPtr& font) { f.setFont(font); }))
        .property("textColor", prop<UITextField>(asColor, [](UITextField& f, const UIColorPtr& c) { f.setTextColor(c); }))
        .property("textAlignment",
                  prop<UITextField>(alignment, [](UITextField& f, NSTextAlignment a) { f.setTextAlignment(a); }))
        .property("secureTextEntry", prop<UITextField>(asFlag, [](UITextField& f, bool s) { f.setSecureTextEntry(s); }))
        .property("clearsOnBeginEditing",
                  prop<UITextField>(asFlag, [](UITextField& f, bool c) { f.setClearsOnBeginEditing(c); }))
        .property("borderStyle",
                  prop<UITextField>(
                      [](const json& v) { return V::choice(v, {{"none", 0}, {"line", 1}, {"bezel", 2}, {"roundedRect", 3}}); },
                      [](UITextField& f, int s) { f.setBorderStyle(static_cast<UITextBorderStyle>(s)); }))
        .property("keyboardType",
                  prop<UITextField>(
                      [](const json& v) {
                          return V::choice(v, {{"default", 0}, {"numbersAndPunctuation", 2}, {"numberPad", 4}});
                      },
                      [](UITextField& f, int k) { f.setKeyboardType(static_cast<UIKeyboardType>(k)); }))
        .connection("delegate", &UITextField::setDelegate);
}
