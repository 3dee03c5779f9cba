#include "platform/ui/UIAlertView.h"
#include "platform/ui/ViewFingerprint.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/NSStringDrawing.h"
#include "platform/graphics/TextMetric.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UITextField.h"

#include <algorithm>

namespace {
constexpr double Width = 270;
constexpr double Margin = 16;
constexpr double ButtonHeight = 44;
constexpr double FieldHeight = 30;
constexpr double FieldGap = 6;
UIFontPtr titleFont() { return UIFont::boldSystemFontOfSize(17); }
UIFontPtr messageFont() { return UIFont::systemFontOfSize(13); }

double messageHeight(const std::optional<std::string>& message)
{
    if (!message || message->empty())
        return 0;
    return TextMetric::sizeWithFont(*message, *messageFont(), {Width - 2 * Margin, 400}, NSLineBreakMode::ByWordWrapping)
        .height;
}
} // namespace

std::shared_ptr<UIAlertView> UIAlertView::create(std::string title, std::optional<std::string> message,
                                                 std::weak_ptr<UIAlertViewDelegate> delegate,
                                                 std::optional<std::string> cancelButtonTitle,
                                                 std::vector<std::string> otherButtonTitles)
{
    auto alert = std::make_shared<UIAlertView>();
    alert->m_title = std::move(title);
    alert->m_message = std::move(message);
    alert->m_delegate = std::move(delegate);
    if (cancelButtonTitle) {
        alert->m_cancelButtonIndex = 0;
        alert->m_buttons.push_back(std::move(*cancelButtonTitle));
    }
    for (auto& other : otherButtonTitles)
        alert->m_buttons.push_back(std::move(other));
    return alert;
}

UIAlertView::UIAlertView()
    : UIView(CGRectMake(0, 0, Width, 120))
{
    setBackgroundColor(UIColor::colorWithWhite(0.97, 1));
    layer().cornerRadius = 7;
    setClipsToBounds(true);
}

int UIAlertView::addButtonWithTitle(std::string title)
{
    m_buttons.push_back(std::move(title));
    return numberOfButtons() - 1;
}

std::optional<std::string> UIAlertView::buttonTitleAtIndex(int index) const
{
    if (index < 0 || index >= numberOfButtons())
        return std::nullopt;
    return m_buttons[static_cast<std::size_t>(index)];
}

int UIAlertView::firstOtherButtonIndex() const
{
    const int first = m_cancelButtonIndex == 0 ? 1 : 0;
    return first < numberOfButtons() ? first : -1;
}

void UIAlertView::show()
{
    if (m_visible)
        return;
    auto& application = UIApplication::sharedApplication();
    if (!application.admitsAlert(*this))
        return;
    auto self = std::static_pointer_cast<UIAlertView>(shared_from_this());
    auto delegate = m_delegate.lock();
    if (delegate)
        delegate->willPresentAlertView(*this);
    m_visible = true;
    application.pushAlert(self);
    if (delegate)
        delegate->didPresentAlertView(*this);
}

bool UIAlertView::isSameAlertAs(const UIAlertView& other) const
{
    const bool sameDelegate = !m_delegate.owner_before(other.m_delegate) && !other.m_delegate.owner_before(m_delegate);
    return m_title == other.m_title && m_message == other.m_message && m_buttons == other.m_buttons
        && m_cancelButtonIndex == other.m_cancelButtonIndex && m_style == other.m_style && tag() == other.tag()
        && sameDelegate;
}

bool UIAlertView::tapButtonAtIndex(int index)
{
    if (!m_visible || index < 0 || index >= numberOfButtons())
        return false;
    auto self = shared_from_this(); // the alert stack may hold the last reference
    if (auto delegate = m_delegate.lock())
        delegate->alertViewClickedButtonAtIndex(*this, index);
    dismissWithClickedButtonIndex(index, true);
    return true;
}

void UIAlertView::dismissWithClickedButtonIndex(int index, bool)
{
    if (!m_visible)
        return;
    auto self = shared_from_this();
    if (auto delegate = m_delegate.lock())
        delegate->alertViewWillDismissWithButtonIndex(*this, index);
    m_visible = false;
    UIApplication::sharedApplication().removeAlert(this);
    if (auto delegate = m_delegate.lock())
        delegate->alertViewDidDismissWithButtonIndex(*this, index);
    NotificationCenter::defaultCenter().post(UIAlertViewDidDismissNotification, this);
}

void UIAlertView::setAlertViewStyle(UIAlertViewStyle style)
{
    for (const auto& field : m_textFields)
        field->removeFromSuperview();
    m_textFields.clear();
    m_style = style;
    const int count = style == UIAlertViewStyle::Default ? 0 : style == UIAlertViewStyle::LoginAndPasswordInput ? 2 : 1;
    for (int i = 0; i < count; ++i) {
        auto field = UITextField::create(fieldFrame(static_cast<std::size_t>(i)));
        field->setBorderStyle(UITextBorderStyle::Line);
        field->setSecureTextEntry(style == UIAlertViewStyle::SecureTextInput || i == 1);
        addSubview(field);
        m_textFields.push_back(std::move(field));
    }
}

std::shared_ptr<UITextField> UIAlertView::textFieldAtIndex(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_textFields.size()))
        return nullptr;
    return m_textFields[static_cast<std::size_t>(index)];
}

double UIAlertView::fieldsTop() const
{
    const double titleHeight = m_title.empty() ? 0 : titleFont()->lineHeight();
    return Margin + titleHeight + 4 + messageHeight(m_message);
}

CGRect UIAlertView::fieldFrame(std::size_t index) const
{
    return CGRectMake(Margin, fieldsTop() + static_cast<double>(index) * (FieldHeight + FieldGap), Width - 2 * Margin,
                      FieldHeight);
}

double UIAlertView::buttonsTop() const
{
    return fieldsTop() + static_cast<double>(m_textFields.size()) * (FieldHeight + FieldGap) + Margin;
}

void UIAlertView::layoutForScreen(CGRect screen)
{
    const double rows = m_buttons.size() == 2 ? 1 : static_cast<double>(m_buttons.size());
    const double height = buttonsTop() + rows * ButtonHeight;
    setFrame(CGRectMake(CGRectGetMidX(screen) - Width / 2, CGRectGetMidY(screen) - height / 2, Width, height));
    for (std::size_t i = 0; i < m_textFields.size(); ++i)
        m_textFields[i]->setFrame(fieldFrame(i));
}

void UIAlertView::addDrawnContent(ViewFingerprint& f) const
{
    UIView::addDrawnContent(f);
    f.add(m_title).add(m_message.has_value()).add(m_message.value_or("")).add(m_cancelButtonIndex).add(m_buttons.size());
    for (const auto& button : m_buttons)
        f.add(button);
}

void UIAlertView::drawRect(const CGRect&)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const CGRect b = bounds();
    double y = Margin;
    context->setFillColor(UIColor::blackColor());
    if (!m_title.empty()) {
        NSStringDrawing::drawInRect(m_title, CGRectMake(Margin, y, Width - 2 * Margin, titleFont()->lineHeight()),
                                    *titleFont(), NSLineBreakMode::ByTruncatingTail, NSTextAlignment::Center,
                                    context.get());
        y += titleFont()->lineHeight();
    }
    y += 4;
    if (m_message && !m_message->empty()) {
        const double h = messageHeight(m_message);
        NSStringDrawing::drawInRect(*m_message, CGRectMake(Margin, y, Width - 2 * Margin, h), *messageFont(),
                                    NSLineBreakMode::ByWordWrapping, NSTextAlignment::Center, context.get());
        y += h;
    }
    y = buttonsTop();

    // Two buttons share a row; otherwise each has its own.
    const auto buttonColor = UIColor::colorWithRed(0, 0.478, 1, 1);
    const auto lineColor = UIColor::colorWithWhite(0.8, 1);
    const bool sideBySide = m_buttons.size() == 2;
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const CGRect cell = sideBySide
            ? CGRectMake(i * b.size.width / 2, y, b.size.width / 2, ButtonHeight)
            : CGRectMake(0, y + static_cast<double>(i) * ButtonHeight, b.size.width, ButtonHeight);
        context->setFillColor(lineColor);
        context->fillRect(CGRectMake(cell.origin.x, cell.origin.y, cell.size.width, 0.5));
        if (sideBySide && i == 1)
            context->fillRect(CGRectMake(cell.origin.x, cell.origin.y, 0.5, cell.size.height));
        const auto font = static_cast<int>(i) == m_cancelButtonIndex ? UIFont::boldSystemFontOfSize(17)
                                                                      : UIFont::systemFontOfSize(17);
        context->setFillColor(buttonColor);
        NSStringDrawing::drawInRect(m_buttons[i],
                                    CGRectMake(cell.origin.x + 4, cell.origin.y + (ButtonHeight - font->lineHeight()) / 2,
                                               cell.size.width - 8, font->lineHeight()),
                                    *font, NSLineBreakMode::ByTruncatingMiddle, NSTextAlignment::Center, context.get());
    }
}
