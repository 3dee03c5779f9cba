#include "kit/KeypadAlertView.h"

#include "kit/KeypadDialogBoxView.h"
#include "kit/SystemNotificationNames.h"
#include "kit/UIAlertViewQN.h"
#include "platform/foundation/Log.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UIInterpolatingMotionEffect.h"
#include "platform/ui/UIMotionEffectGroup.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/UIWindow.h"

#include <any>

namespace {
constexpr double kRowButtonHeight = 50;
constexpr double kSeparatorHeight = 1;
constexpr int kDigitKeys = 10;
const char* const kTooLong = "输入长度不能大于15位!";
// What a masked field shows for each character.
const char* const kMaskDot = "•";

UIColorPtr rgb255(double red, double green, double blue)
{
    return UIColor::colorWithRed(red / 255, green / 255, blue / 255, 1);
}

// The keyboard's size as its notice gives it; none (a turn of the device) or a value of another
// kind counts as no keyboard.
CGSize keyboardSize(const Notification& notification)
{
    const auto it = notification.userInfo.find(SystemNotificationNames::KeyboardFrameBeginUserInfoKey);
    if (it != notification.userInfo.end())
        if (const auto* frame = std::any_cast<CGRect>(&it->second))
            return frame->size;
    return CGSizeZero;
}
} // namespace

std::shared_ptr<KeypadAlertView> KeypadAlertView::create()
{
    auto dialog = std::make_shared<KeypadAlertView>();
    dialog->observeSystemNotices();
    return dialog;
}

std::shared_ptr<KeypadAlertView> KeypadAlertView::showPasswordPrompt(const std::string& title, std::int64_t tag,
                                                                    std::weak_ptr<KeypadAlertViewDelegate> delegate)
{
    auto dialog = create();
    dialog->title()->setText(title);
    dialog->setTag(tag);
    dialog->setDelegate(std::move(delegate));
    dialog->setIsPassWord(true);
    dialog->show();
    return dialog;
}

std::shared_ptr<KeypadAlertView> KeypadAlertView::createWithParentView(const UIViewPtr& parentView)
{
    auto dialog = create();
    if (parentView) {
        dialog->setFrame(parentView->frame());
        dialog->m_parentView = parentView;
    }
    return dialog;
}

KeypadAlertView::KeypadAlertView()
    : UIView(UIScreen::mainScreen().bounds())
    , m_title(UILabel::create())
{
}

KeypadAlertView::~KeypadAlertView() = default;

void KeypadAlertView::observeSystemNotices()
{
    std::weak_ptr<UIView> weak = weak_from_this();
    auto observe = [&](const std::string& name, void (KeypadAlertView::*handler)(const Notification&)) {
        m_observers.push_back(NotificationCenter::defaultCenter().addObserver(name, [weak, handler](const Notification& n) {
            if (auto self = weak.lock())
                (static_cast<KeypadAlertView&>(*self).*handler)(n);
        }));
    };
    observe(SystemNotificationNames::DeviceOrientationDidChange, &KeypadAlertView::deviceOrientationDidChange);
    observe(SystemNotificationNames::KeyboardWillShow, &KeypadAlertView::keyboardWillShow);
    observe(SystemNotificationNames::KeyboardWillHide, &KeypadAlertView::keyboardWillHide);
}

// Building.

UIViewPtr KeypadAlertView::createContainerView()
{
    if (!m_containerView) {
        m_containerView = UIView::create(CGRectMake(0, 0, ContentSize.width, ContentSize.height));
        addViewToContainerView();
    }
    const CGSize screen = countScreenSize();
    const CGSize dialog = countDialogSize();
    setFrame(CGRectMake(0, 0, screen.width, screen.height));

    auto box = KeypadDialogBoxView::create(centredBoxFrame(screen, dialog, 0));
    auto separator = UIView::create(
        CGRectMake(0, dialog.height - m_buttonHeight - m_separatorHeight, dialog.width, m_separatorHeight));
    separator->setBackgroundColor(rgb255(198, 198, 198));
    box->addSubview(separator);
    box->addSubview(m_containerView);
    addButtonsToView(*box);
    return box;
}

UIButtonPtr KeypadAlertView::makeKey(const CGRect& frame, std::function<void(KeypadAlertView&)> action)
{
    auto key = UIButton::buttonWithType(UIButtonType::Custom);
    key->setFrame(frame);
    // The dialog owns its keys; a key kept by someone else must not reach a dialog that is gone.
    std::weak_ptr<UIView> weak = weak_from_this();
    key->addTarget(
        this,
        [weak, action = std::move(action)](UIControl&) {
            if (auto self = weak.lock())
                action(static_cast<KeypadAlertView&>(*self));
        },
        UIControlEventTouchUpInside);
    return key;
}

void KeypadAlertView::addViewToContainerView()
{
    m_title->setFrame(CGRectMake(0, 0, 235, 56));
    m_title->setTextAlignment(NSTextAlignment::Center);
    m_title->setFont(UIFont::systemFontOfSize(22));
    m_containerView->addSubview(m_title);

    auto inputBackground = UIImageView::create(CGRectMake(22, 56, 203, 41));
    inputBackground->setImage(UIImage::imageNamed("alert_inputBg.png"));
    m_containerView->addSubview(inputBackground);

    m_pw = UILabel::create(CGRectMake(27, 56, 203, 41));
    m_pw->setFont(UIFont::boldSystemFontOfSize(20));
    m_masked = m_isPassWord;
    m_containerView->addSubview(m_pw);
    refreshField();

    m_deleteKey = makeKey(CGRectMake(232, 56, 58, 41), [](KeypadAlertView& d) { d.clickDelNum(); });
    m_deleteKey->setBackgroundImage(UIImage::imageNamed("alert_delete"), UIControlStateNormal);
    m_deleteKey->setBackgroundImage(UIImage::imageNamed("alert_delete2"), UIControlStateHighlighted);
    m_containerView->addSubview(m_deleteKey);

    m_digitKeys.assign(kDigitKeys, nullptr);
    for (int n = 1; n <= kDigitKeys; ++n) {
        // The tenth key is the 0, placed as an eleventh would be: between 取消 and 确定.
        const int digit = n == kDigitKeys ? 0 : n;
        const int place = n == kDigitKeys ? 11 : n;
        const CGRect frame = CGRectMake(((place - 1) % 3) * 88 + 35, ((place - 1) / 3) * 77 + 120, 60, 60);
        auto key = makeKey(frame, [digit](KeypadAlertView& d) { d.clickNum(digit); });
        key->setTag(digit);
        key->setBackgroundImage(UIImage::imageNamed("alert_numBg"), UIControlStateNormal);
        key->setBackgroundImage(UIImage::imageNamed("alert_numBg2"), UIControlStateHighlighted);
        key->setTitle(std::to_string(digit), UIControlStateNormal);
        key->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
        key->titleLabel()->setFont(UIFont::boldSystemFontOfSize(35));
        m_containerView->addSubview(key);
        m_digitKeys[static_cast<std::size_t>(digit)] = key;
    }

    auto wordKey = [&](const CGRect& frame, const char* title, std::function<void(KeypadAlertView&)> action) {
        auto key = makeKey(frame, std::move(action));
        key->setTitle(title, UIControlStateNormal);
        key->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
        key->setTitleColor(UIColor::grayColor(), UIControlStateHighlighted);
        key->titleLabel()->setFont(UIFont::boldSystemFontOfSize(28));
        m_containerView->addSubview(key);
        return key;
    };
    m_cancelKey = wordKey(CGRectMake(35, 351, 60, 60), "取消", [](KeypadAlertView& d) { d.clickCancel(); });
    m_okKey = wordKey(CGRectMake(211, 351, 60, 60), "确定", [](KeypadAlertView& d) { d.clickOK(); });
}

void KeypadAlertView::addButtonsToView(UIView& box)
{
    if (m_buttonTitles.empty())
        return;
    const CGRect b = box.bounds();
    const double width = b.size.width / static_cast<double>(m_buttonTitles.size());
    for (std::size_t i = 0; i < m_buttonTitles.size(); ++i) {
        const auto index = static_cast<std::int64_t>(i);
        auto button = makeKey(CGRectMake(static_cast<double>(i) * width, b.size.height - kRowButtonHeight, width,
                                         kRowButtonHeight),
                              [index](KeypadAlertView& d) { d.keypadDialogButtonTouchUpInside(index); });
        button->setTag(static_cast<int>(i));
        button->setTitle(m_buttonTitles[i], UIControlStateNormal);
        button->setTitleColor(UIColor::colorWithRed(0, 0.5, 1, 1), UIControlStateNormal);
        button->setTitleColor(UIColor::colorWithRed(0.2, 0.2, 0.2, 0.5), UIControlStateHighlighted);
        button->titleLabel()->setFont(UIFont::boldSystemFontOfSize(14));
        button->layer().cornerRadius = 7;
        box.addSubview(button);
    }
}

UIButtonPtr KeypadAlertView::digitKey(int digit) const
{
    if (digit < 0 || digit >= static_cast<int>(m_digitKeys.size()))
        return nullptr;
    return m_digitKeys[static_cast<std::size_t>(digit)];
}

CGSize KeypadAlertView::countScreenSize()
{
    const bool row = !m_buttonTitles.empty();
    m_buttonHeight = row ? kRowButtonHeight : 0;
    m_separatorHeight = row ? kSeparatorHeight : 0;
    return UIScreen::mainScreen().bounds().size;
}

CGSize KeypadAlertView::countDialogSize() const
{
    const CGSize content = m_containerView ? m_containerView->frame().size : ContentSize;
    return {content.width, content.height + m_buttonHeight + m_separatorHeight};
}

CGRect KeypadAlertView::centredBoxFrame(CGSize screen, CGSize dialog, double keyboard) const
{
    return CGRectMake((screen.width - dialog.width) / 2, (screen.height - keyboard - dialog.height) / 2, dialog.width,
                      dialog.height);
}

// Showing and closing.

void KeypadAlertView::show()
{
    if (m_dialogView || m_closing)
        return;
    // Only a dialog made by create() can be held by a window.
    const auto self = weak_from_this().lock();
    if (!self) {
        NSLog("KeypadAlertView: a dialog not made by create() cannot be shown");
        return;
    }
    const auto parent = m_parentView.lock();
    const auto windows = UIApplication::sharedApplication().windows();
    // Nothing is built before there is somewhere to show it, so a later show can still succeed.
    if (!parent && windows.empty()) {
        NSLog("KeypadAlertView: no window to show the dialog on");
        return;
    }
    m_dialogView = createContainerView();
    if (m_useMotionEffects)
        applyMotionEffects();
    setBackgroundColor(UIColor::colorWithWhite(0, 0));
    addSubview(m_dialogView);

    if (parent) {
        parent->addSubview(self);
    } else {
        const CGSize screen = countScreenSize();
        m_dialogView->setFrame(centredBoxFrame(screen, countDialogSize(), 0));
        windows.front()->addSubview(self);
    }

    m_dialogView->setAlpha(0.5);
    m_dialogView->setTransform(CGAffineTransformMakeScale(1.3, 1.3));
    UIView::animateWithDuration(AnimationDuration, 0, UIViewAnimationOptionNone, [this] {
        setBackgroundColor(UIColor::colorWithWhite(0, 0.4));
        m_dialogView->setAlpha(1);
        m_dialogView->setTransform(CGAffineTransformIdentity);
    });
}

// The box drifts up to ten points each way with the tilt of the device.
void KeypadAlertView::applyMotionEffects()
{
    if (!m_dialogView)
        return;
    auto horizontal = std::make_shared<UIInterpolatingMotionEffect>(
        "center.x", UIInterpolatingMotionEffectType::TiltAlongHorizontalAxis);
    auto vertical = std::make_shared<UIInterpolatingMotionEffect>("center.y",
                                                                  UIInterpolatingMotionEffectType::TiltAlongVerticalAxis);
    for (const auto& effect : {horizontal, vertical}) {
        effect->setMinimumRelativeValue(-MotionEffectExtent);
        effect->setMaximumRelativeValue(MotionEffectExtent);
    }
    auto group = std::make_shared<UIMotionEffectGroup>();
    group->setMotionEffects({horizontal, vertical});
    m_dialogView->addMotionEffect(group);
}

void KeypadAlertView::close()
{
    if (m_closing)
        return;
    m_closing = true;
    const CGAffineTransform current = m_dialogView ? m_dialogView->transform() : CGAffineTransformIdentity;
    if (m_dialogView)
        m_dialogView->setAlpha(1);
    std::weak_ptr<UIView> weak = weak_from_this();
    UIView::animateWithDuration(
        AnimationDuration, 0, UIViewAnimationOptionNone,
        [this, current] {
            setBackgroundColor(UIColor::colorWithWhite(0, 0));
            if (!m_dialogView)
                return;
            m_dialogView->setTransform(CGAffineTransformConcat(current, CGAffineTransformMakeScale(0.6, 0.6)));
            m_dialogView->setAlpha(0);
        },
        [weak](bool) {
            auto self = weak.lock();
            if (!self)
                return;
            const auto subviews = self->subviews();
            for (const auto& view : subviews)
                view->removeFromSuperview();
            self->removeFromSuperview();
        });
}

// Keys.

void KeypadAlertView::clickNum(int digit)
{
    if (m_input.size() >= MaxInputLength) {
        UIAlertViewQN::setMsg(std::string(kTooLong))->show();
        return;
    }
    m_input += std::to_string(digit);
    refreshField();
}

void KeypadAlertView::clickDelNum()
{
    if (m_input.empty())
        return;
    m_input.pop_back();
    refreshField();
}

void KeypadAlertView::clickOK() { answer(true); }

void KeypadAlertView::clickCancel() { answer(false); }

void KeypadAlertView::answer(bool isOk)
{
    // A tap that lands while the dialog is already closing must not answer a second time.
    if (m_answered)
        return;
    m_answered = true;
    // The delegate may drop the last reference to the dialog.
    const auto keep = weak_from_this().lock();
    if (auto delegate = m_delegate.lock())
        delegate->customAlertViewClick(tag(), isOk, isOk ? m_input : std::string(), m_cmd);
    close();
}

void KeypadAlertView::keypadDialogButtonTouchUpInside(std::int64_t buttonIndex)
{
    const auto keep = weak_from_this().lock();
    auto delegate = m_delegate.lock();
    if (!delegate || !delegate->keypadDialogButtonTouchUpInside(*this, buttonIndex)) {
        NSLog("Button Clicked! %d, %d", static_cast<int>(buttonIndex), tag());
        close();
    }
    if (m_onButtonTouchUpInside)
        m_onButtonTouchUpInside(*this, buttonIndex);
}

void KeypadAlertView::refreshField()
{
    if (!m_pw)
        return;
    if (!m_masked) {
        m_pw->setText(m_input);
        return;
    }
    std::string dots;
    for (std::size_t i = 0; i < m_input.size(); ++i)
        dots += kMaskDot;
    m_pw->setText(dots);
}

// Turning and keyboards.

void KeypadAlertView::deviceOrientationDidChange(const Notification& notification)
{
    if (!m_parentView.expired() || !m_dialogView)
        return;
    const CGSize screen = UIScreen::mainScreen().bounds().size;
    const CGSize dialog = countDialogSize();
    const double keyboard = keyboardSize(notification).height;
    UIView::animateWithDuration(AnimationDuration, 0, UIViewAnimationOptionNone, [&] {
        setFrame(CGRectMake(0, 0, screen.width, screen.height));
        m_dialogView->setFrame(centredBoxFrame(screen, dialog, keyboard));
    });
}

void KeypadAlertView::keyboardWillShow(const Notification& notification)
{
    if (!m_dialogView)
        return;
    const CGSize screen = countScreenSize();
    const CGSize dialog = countDialogSize();
    const CGSize keyboard = keyboardSize(notification);
    UIView::animateWithDuration(AnimationDuration, 0, UIViewAnimationOptionNone,
                                [&] { m_dialogView->setFrame(centredBoxFrame(screen, dialog, keyboard.height)); });
}

void KeypadAlertView::keyboardWillHide(const Notification&)
{
    if (!m_dialogView)
        return;
    const CGSize screen = countScreenSize();
    const CGSize dialog = countDialogSize();
    UIView::animateWithDuration(AnimationDuration, 0, UIViewAnimationOptionNone,
                                [&] { m_dialogView->setFrame(centredBoxFrame(screen, dialog, 0)); });
}
