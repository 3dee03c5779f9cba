#pragma once

#include "platform/graphics/UIEdgeInsets.h"
#include "platform/graphics/UIImage.h"
#include "platform/ui/UIControl.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UILabel.h"

#include <map>
#include <string>

class InterfaceRegistry;

enum class UIButtonType : int { Custom = 0, System = 1, DetailDisclosure = 2, InfoLight = 3, InfoDark = 4, ContactAdd = 5 };

// A control with a title, a picture and a background picture for each state. A state without
// its own value shows the normal state's.
class UIButton : public UIControl {
public:
    // Makes the class known to interface files, with the properties they may set.
    static void registerInterfaceClass(InterfaceRegistry& r);
    static std::shared_ptr<UIButton> buttonWithType(UIButtonType type);
    static std::shared_ptr<UIButton> create(const CGRect& frame = CGRectZero);
    explicit UIButton(const CGRect& frame = CGRectZero, UIButtonType type = UIButtonType::Custom);

    UIButtonType buttonType() const { return m_type; }

    void setTitle(std::string title, unsigned state = UIControlStateNormal);
    std::string titleForState(unsigned state) const;
    void setTitleColor(UIColorPtr color, unsigned state = UIControlStateNormal);
    UIColorPtr titleColorForState(unsigned state) const;
    void setImage(UIImagePtr image, unsigned state = UIControlStateNormal);
    UIImagePtr imageForState(unsigned state) const;
    void setBackgroundImage(UIImagePtr image, unsigned state = UIControlStateNormal);
    UIImagePtr backgroundImageForState(unsigned state) const;

    std::string currentTitle() const { return titleForState(state()); }
    UIColorPtr currentTitleColor() const { return titleColorForState(state()); }
    UIImagePtr currentImage() const { return imageForState(state()); }
    UIImagePtr currentBackgroundImage() const { return backgroundImageForState(state()); }

    const UILabelPtr& titleLabel() const { return m_titleLabel; }
    const UIImageViewPtr& imageView() const { return m_imageView; }

    UIEdgeInsets contentEdgeInsets() const { return m_contentInsets; }
    void setContentEdgeInsets(UIEdgeInsets insets);
    UIEdgeInsets titleEdgeInsets() const { return m_titleInsets; }
    void setTitleEdgeInsets(UIEdgeInsets insets);
    UIEdgeInsets imageEdgeInsets() const { return m_imageInsets; }
    void setImageEdgeInsets(UIEdgeInsets insets);

    void setEnabled(bool enabled) override;
    void setSelected(bool selected) override;
    void setHighlighted(bool highlighted) override;

    void layoutSubviews() override;
    CGSize sizeThatFits(CGSize size) const override;
    void drawRect(const CGRect& rect) override;
    void addDrawnContent(ViewFingerprint& fingerprint) const override;

private:
    template <class T>
    static T lookup(const std::map<unsigned, T>& values, unsigned state);
    void stateDidChange();

    UIButtonType m_type;
    std::map<unsigned, std::string> m_titles;
    std::map<unsigned, UIColorPtr> m_titleColors;
    std::map<unsigned, UIImagePtr> m_images;
    std::map<unsigned, UIImagePtr> m_backgroundImages;
    UILabelPtr m_titleLabel;
    UIImageViewPtr m_imageView;
    UIEdgeInsets m_contentInsets;
    UIEdgeInsets m_titleInsets;
    UIEdgeInsets m_imageInsets;
};

using UIButtonPtr = std::shared_ptr<UIButton>;
